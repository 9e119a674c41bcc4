#ifndef BEHAVIORTREE_CPP_V3_ACTIONS_SET_BLACKBOARD_NODE_H
#define BEHAVIORTREE_CPP_V3_ACTIONS_SET_BLACKBOARD_NODE_H

#include <string>

#include "behaviortree_cpp_v3/action_node.h"

namespace BT
{
/// Writes port "value" to the blackboard entry named by port "output_key". A constant is
/// written as text; "{key}" copies that entry with its type.
/// Example: <SetBlackboard output_key="goal" value="1;2;3" />
class SetBlackboard : public SyncActionNode
{
public:
  SetBlackboard(const std::string & name, const NodeConfiguration & config)
  : SyncActionNode(name, config)
  {
    setRegistrationID("SetBlackboard");
  }

  static PortsList providedPorts()
  {
    return {
      InputPort("value", "Value represented as a string. convertFromString must be implemented."),
      BidirectionalPort(
        "output_key", "Name of the blackboard entry where the value should be written")};
  }

private:
  NodeStatus tick() override
  {
    std::string output_key;
    if (!getInput("output_key", output_key)) {
      throw RuntimeError("missing port [output_key]");
    }
    const auto value_it = config().input_ports.find("value");
    if (value_it == config().input_ports.end()) {
      throw RuntimeError("missing port [value]");
    }
    const auto source_key = getRemappedKey("value", value_it->second);
    if (!source_key) {
      setOutput("output_key", value_it->second);
      return NodeStatus::SUCCESS;
    }
    if (!config().blackboard) {
      throw RuntimeError("SetBlackboard [", name(), "] has no blackboard to copy [value] in");
    }
    const auto output_it = config().output_ports.find("output_key");
    if (output_it == config().output_ports.end()) {
      throw RuntimeError("missing port [output_key]");
    }
    const auto destination_key = getRemappedKey("output_key", output_it->second);
    config().blackboard->copyEntry(
      static_cast<std::string>(source_key.value()),
      destination_key ? static_cast<std::string>(destination_key.value()) : output_it->second);
    return NodeStatus::SUCCESS;
  }
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_ACTIONS_SET_BLACKBOARD_NODE_H

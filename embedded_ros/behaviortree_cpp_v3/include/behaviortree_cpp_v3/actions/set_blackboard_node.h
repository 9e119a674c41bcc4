#ifndef BEHAVIORTREE_CPP_V3_ACTIONS_SET_BLACKBOARD_NODE_H
#define BEHAVIORTREE_CPP_V3_ACTIONS_SET_BLACKBOARD_NODE_H

#include <string>

#include "behaviortree_cpp_v3/action_node.h"

namespace BT
{
/// Writes the text of port "value" to the blackboard entry named by port
/// "output_key". Example: <SetBlackboard output_key="goal" value="1;2;3" />
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
    std::string key;
    std::string value;
    if (!getInput("output_key", key)) {
      throw RuntimeError("missing port [output_key]");
    }
    if (!getInput("value", value)) {
      throw RuntimeError("missing port [value]");
    }
    setOutput("output_key", value);
    return NodeStatus::SUCCESS;
  }
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_ACTIONS_SET_BLACKBOARD_NODE_H

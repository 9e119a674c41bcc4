#ifndef BEHAVIORTREE_CPP_V3_CONTROLS_SWITCH_NODE_H
#define BEHAVIORTREE_CPP_V3_CONTROLS_SWITCH_NODE_H

#include <cstddef>
#include <string>

#include "behaviortree_cpp_v3/control_node.h"
#include "behaviortree_cpp_v3/exceptions.h"

namespace BT
{
/// NUM_CASES + 1 children. Ticks the child of the first port "case_N" whose text equals port
/// "variable", or the last child (the default) when none does or "variable" cannot be read.
/// When the choice changes, the child that was running is halted first.
///
/// <Switch3 variable="{mode}" case_1="dock" case_2="patrol" case_3="idle">
///   <Dock/> <Patrol/> <Idle/> <Wait/>
/// </Switch3>
template <size_t NUM_CASES>
class SwitchNode : public ControlNode
{
public:
  SwitchNode(const std::string & name, const NodeConfiguration & config) : ControlNode(name, config)
  {
    setRegistrationID("Switch");
  }

  ~SwitchNode() override = default;

  void halt() override
  {
    running_child_ = -1;
    ControlNode::halt();
  }

  static PortsList providedPorts()
  {
    PortsList ports;
    ports.insert(InputPort<std::string>("variable"));
    for (size_t i = 1; i <= NUM_CASES; ++i) {
      ports.insert(InputPort<std::string>(caseKey(i)));
    }
    return ports;
  }

private:
  static std::string caseKey(size_t index) { return "case_" + std::to_string(index); }

  NodeStatus tick() override
  {
    if (childrenCount() != NUM_CASES + 1) {
      throw LogicError(
        "Wrong number of children in SwitchNode [", name(), "]; must be (num_cases + default)");
    }
    int match_index = static_cast<int>(NUM_CASES);
    std::string variable;
    if (getInput("variable", variable)) {
      std::string value;
      for (size_t index = 0; index < NUM_CASES; ++index) {
        if (getInput(caseKey(index + 1), value) && variable == value) {
          match_index = static_cast<int>(index);
          break;
        }
      }
    }
    if (running_child_ != -1 && running_child_ != match_index) {
      haltChild(static_cast<size_t>(running_child_));
    }
    const NodeStatus status = children_nodes_[static_cast<size_t>(match_index)]->executeTick();
    if (status == NodeStatus::IDLE) {
      throw LogicError("A child node must never return IDLE");
    }
    if (status == NodeStatus::RUNNING) {
      running_child_ = match_index;
    } else {
      haltChildren();
      running_child_ = -1;
    }
    return status;
  }

  int running_child_ = -1;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_CONTROLS_SWITCH_NODE_H

#ifndef BEHAVIORTREE_CPP_V3_CONTROLS_IF_THEN_ELSE_NODE_H
#define BEHAVIORTREE_CPP_V3_CONTROLS_IF_THEN_ELSE_NODE_H

#include <cstddef>
#include <string>

#include "behaviortree_cpp_v3/control_node.h"

namespace BT
{
/// Two or three children: a condition, a "then" branch and an optional "else" branch. The
/// condition is ticked until it completes; then the chosen branch runs to its end and its
/// result is the node's. Without an else branch, a failed condition is the node's FAILURE.
/// Once a branch is chosen the condition is not ticked again until the node completes or is
/// halted.
class IfThenElseNode : public ControlNode
{
public:
  IfThenElseNode(const std::string & name);

  ~IfThenElseNode() override = default;

  void halt() override;

private:
  size_t child_idx_ = 0;

  NodeStatus tick() override;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_CONTROLS_IF_THEN_ELSE_NODE_H

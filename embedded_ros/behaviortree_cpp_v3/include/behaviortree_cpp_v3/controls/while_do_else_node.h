#ifndef BEHAVIORTREE_CPP_V3_CONTROLS_WHILE_DO_ELSE_NODE_H
#define BEHAVIORTREE_CPP_V3_CONTROLS_WHILE_DO_ELSE_NODE_H

#include <string>

#include "behaviortree_cpp_v3/control_node.h"

namespace BT
{
/// Three children: a condition, a "do" branch and an "else" branch. Unlike IfThenElse the
/// condition is ticked on every tick: while it succeeds the do branch runs, while it fails the
/// else branch runs, and a change of answer halts the branch that was running. A completed
/// branch completes the node.
class WhileDoElseNode : public ControlNode
{
public:
  WhileDoElseNode(const std::string & name);

  ~WhileDoElseNode() override = default;

  void halt() override;

private:
  NodeStatus tick() override;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_CONTROLS_WHILE_DO_ELSE_NODE_H

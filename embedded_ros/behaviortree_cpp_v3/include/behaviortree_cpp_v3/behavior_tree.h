#ifndef BEHAVIORTREE_CPP_V3_BEHAVIOR_TREE_H
#define BEHAVIORTREE_CPP_V3_BEHAVIOR_TREE_H

#include <functional>
#include <iostream>
#include <type_traits>

#include "behaviortree_cpp_v3/action_node.h"
#include "behaviortree_cpp_v3/actions/always_failure_node.h"
#include "behaviortree_cpp_v3/actions/always_success_node.h"
#include "behaviortree_cpp_v3/actions/set_blackboard_node.h"
#include "behaviortree_cpp_v3/condition_node.h"
#include "behaviortree_cpp_v3/control_node.h"
#include "behaviortree_cpp_v3/controls/fallback_node.h"
#include "behaviortree_cpp_v3/controls/if_then_else_node.h"
#include "behaviortree_cpp_v3/controls/parallel_node.h"
#include "behaviortree_cpp_v3/controls/reactive_fallback.h"
#include "behaviortree_cpp_v3/controls/reactive_sequence.h"
#include "behaviortree_cpp_v3/controls/sequence_node.h"
#include "behaviortree_cpp_v3/controls/sequence_star_node.h"
#include "behaviortree_cpp_v3/controls/switch_node.h"
#include "behaviortree_cpp_v3/controls/while_do_else_node.h"
#include "behaviortree_cpp_v3/decorator_node.h"
#include "behaviortree_cpp_v3/decorators/blackboard_precondition.h"
#include "behaviortree_cpp_v3/decorators/delay_node.h"
#include "behaviortree_cpp_v3/decorators/force_failure_node.h"
#include "behaviortree_cpp_v3/decorators/force_success_node.h"
#include "behaviortree_cpp_v3/decorators/inverter_node.h"
#include "behaviortree_cpp_v3/decorators/keep_running_until_failure_node.h"
#include "behaviortree_cpp_v3/decorators/repeat_node.h"
#include "behaviortree_cpp_v3/decorators/retry_node.h"
#include "behaviortree_cpp_v3/decorators/subtree_node.h"
#include "behaviortree_cpp_v3/decorators/timeout_node.h"

namespace BT
{
/// Calls visitor on root_node and on every node below it, parents first.
void applyRecursiveVisitor(
  const TreeNode * root_node, const std::function<void(const TreeNode *)> & visitor);

void applyRecursiveVisitor(TreeNode * root_node, const std::function<void(TreeNode *)> & visitor);

/// Prints the tree as indented names.
void printTreeRecursively(const TreeNode * root_node, std::ostream & stream = std::cout);

template <typename T>
inline NodeType getType()
{
  if (std::is_base_of<ActionNodeBase, T>::value) {
    return NodeType::ACTION;
  }
  if (std::is_base_of<ConditionNode, T>::value) {
    return NodeType::CONDITION;
  }
  if (std::is_base_of<SubtreeNode, T>::value || std::is_base_of<SubtreePlusNode, T>::value) {
    return NodeType::SUBTREE;
  }
  if (std::is_base_of<DecoratorNode, T>::value) {
    return NodeType::DECORATOR;
  }
  if (std::is_base_of<ControlNode, T>::value) {
    return NodeType::CONTROL;
  }
  return NodeType::UNDEFINED;
}

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_BEHAVIOR_TREE_H

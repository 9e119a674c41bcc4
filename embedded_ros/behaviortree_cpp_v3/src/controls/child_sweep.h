#ifndef BEHAVIORTREE_CPP_V3_SRC_CONTROLS_CHILD_SWEEP_H
#define BEHAVIORTREE_CPP_V3_SRC_CONTROLS_CHILD_SWEEP_H

#include <vector>

#include "behaviortree_cpp_v3/control_node.h"
#include "behaviortree_cpp_v3/exceptions.h"
#include "behaviortree_cpp_v3/tree_node.h"

namespace BT
{
namespace detail
{
/// The sweep that sequences and fallbacks share: ticks the children from `index` on while each
/// returns `keep_going`. Returns the first other status, with `index` left at the child that
/// returned it, or `keep_going` once every child has returned it.
inline NodeStatus tickChildrenWhile(
  const std::vector<TreeNode *> & children, size_t & index, NodeStatus keep_going)
{
  for (; index < children.size(); ++index) {
    const NodeStatus child_status = children[index]->executeTick();
    if (child_status == NodeStatus::IDLE) {
      throw LogicError("A child node must never return IDLE");
    }
    if (child_status != keep_going) {
      return child_status;
    }
  }
  return keep_going;
}

/// One tick of a reactive control: a sweep from the first child. A RUNNING child halts every
/// other child and sets it back to IDLE, so the children before it start afresh on the next
/// tick; any other end halts them all.
inline NodeStatus tickReactively(ControlNode & node, NodeStatus keep_going)
{
  size_t index = 0;
  const NodeStatus status = tickChildrenWhile(node.children(), index, keep_going);
  if (status == NodeStatus::RUNNING) {
    for (size_t i = 0; i < node.childrenCount(); ++i) {
      if (i != index) {
        node.haltChild(i);
      }
    }
  } else {
    node.haltChildren();
  }
  return status;
}

}  // namespace detail
}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_SRC_CONTROLS_CHILD_SWEEP_H

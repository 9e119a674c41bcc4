#include "behaviortree_cpp_v3/controls/fallback_node.h"

#include "child_sweep.h"

namespace BT
{
FallbackNode::FallbackNode(const std::string & name) : ControlNode(name, {})
{
  setRegistrationID("Fallback");
}

void FallbackNode::halt()
{
  current_child_idx_ = 0;
  ControlNode::halt();
}

NodeStatus FallbackNode::tick()
{
  setStatus(NodeStatus::RUNNING);
  const NodeStatus status =
    detail::tickChildrenWhile(children_nodes_, current_child_idx_, NodeStatus::FAILURE);
  if (status != NodeStatus::RUNNING) {
    haltChildren();
    current_child_idx_ = 0;
  }
  return status;
}

}  // namespace BT

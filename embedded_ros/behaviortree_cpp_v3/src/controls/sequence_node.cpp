#include "behaviortree_cpp_v3/controls/sequence_node.h"

#include "child_sweep.h"

namespace BT
{
SequenceNode::SequenceNode(const std::string & name) : ControlNode(name, {})
{
  setRegistrationID("Sequence");
}

void SequenceNode::halt()
{
  current_child_idx_ = 0;
  ControlNode::halt();
}

NodeStatus SequenceNode::tick()
{
  setStatus(NodeStatus::RUNNING);
  const NodeStatus status =
    detail::tickChildrenWhile(children_nodes_, current_child_idx_, NodeStatus::SUCCESS);
  if (status != NodeStatus::RUNNING) {
    haltChildren();
    current_child_idx_ = 0;
  }
  return status;
}

}  // namespace BT

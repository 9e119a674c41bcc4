#include "behaviortree_cpp_v3/controls/sequence_star_node.h"

#include "child_sweep.h"

namespace BT
{
SequenceStarNode::SequenceStarNode(const std::string & name) : ControlNode(name, {})
{
  setRegistrationID("SequenceStar");
}

void SequenceStarNode::halt()
{
  current_child_idx_ = 0;
  ControlNode::halt();
}

NodeStatus SequenceStarNode::tick()
{
  setStatus(NodeStatus::RUNNING);
  const NodeStatus status =
    detail::tickChildrenWhile(children_nodes_, current_child_idx_, NodeStatus::SUCCESS);
  if (status == NodeStatus::FAILURE) {
    // The next tick resumes at the failed child.
    for (size_t i = current_child_idx_; i < childrenCount(); ++i) {
      haltChild(i);
    }
  } else if (status == NodeStatus::SUCCESS) {
    haltChildren();
    current_child_idx_ = 0;
  }
  return status;
}

}  // namespace BT

#include "behaviortree_cpp_v3/controls/sequence_node.h"

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
  while (current_child_idx_ < childrenCount()) {
    const NodeStatus child_status = children_nodes_[current_child_idx_]->executeTick();
    switch (child_status) {
      case NodeStatus::RUNNING:
        return NodeStatus::RUNNING;
      case NodeStatus::FAILURE:
        haltChildren();
        current_child_idx_ = 0;
        return NodeStatus::FAILURE;
      case NodeStatus::SUCCESS:
        ++current_child_idx_;
        break;
      case NodeStatus::IDLE:
        throw LogicError("A child node must never return IDLE");
    }
  }
  haltChildren();
  current_child_idx_ = 0;
  return NodeStatus::SUCCESS;
}

}  // namespace BT

#include "behaviortree_cpp_v3/controls/fallback_node.h"

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
  while (current_child_idx_ < childrenCount()) {
    const NodeStatus child_status = children_nodes_[current_child_idx_]->executeTick();
    switch (child_status) {
      case NodeStatus::RUNNING:
        return NodeStatus::RUNNING;
      case NodeStatus::SUCCESS:
        haltChildren();
        current_child_idx_ = 0;
        return NodeStatus::SUCCESS;
      case NodeStatus::FAILURE:
        ++current_child_idx_;
        break;
      case NodeStatus::IDLE:
        throw LogicError("A child node must never return IDLE");
    }
  }
  haltChildren();
  current_child_idx_ = 0;
  return NodeStatus::FAILURE;
}

}  // namespace BT

#include "behaviortree_cpp_v3/controls/if_then_else_node.h"

#include "behaviortree_cpp_v3/exceptions.h"

namespace BT
{
IfThenElseNode::IfThenElseNode(const std::string & name) : ControlNode(name, {})
{
  setRegistrationID("IfThenElse");
}

void IfThenElseNode::halt()
{
  child_idx_ = 0;
  ControlNode::halt();
}

NodeStatus IfThenElseNode::tick()
{
  const size_t children_count = childrenCount();
  if (children_count != 2 && children_count != 3) {
    throw LogicError("IfThenElseNode [", name(), "] must have either 2 or 3 children");
  }
  setStatus(NodeStatus::RUNNING);

  if (child_idx_ == 0) {
    const NodeStatus condition = children_nodes_[0]->executeTick();
    if (condition == NodeStatus::RUNNING) {
      return condition;
    }
    if (condition == NodeStatus::SUCCESS) {
      child_idx_ = 1;
    } else if (condition == NodeStatus::FAILURE) {
      if (children_count == 2) {
        return condition;
      }
      child_idx_ = 2;
    } else {
      throw LogicError("A child node must never return IDLE");
    }
  }

  const NodeStatus status = children_nodes_[child_idx_]->executeTick();
  if (status == NodeStatus::IDLE) {
    throw LogicError("A child node must never return IDLE");
  }
  if (status != NodeStatus::RUNNING) {
    haltChildren();
    child_idx_ = 0;
  }
  return status;
}

}  // namespace BT

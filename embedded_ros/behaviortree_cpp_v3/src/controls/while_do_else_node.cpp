#include "behaviortree_cpp_v3/controls/while_do_else_node.h"

#include "behaviortree_cpp_v3/exceptions.h"

namespace BT
{
WhileDoElseNode::WhileDoElseNode(const std::string & name) : ControlNode(name, {})
{
  setRegistrationID("WhileDoElse");
}

void WhileDoElseNode::halt() { ControlNode::halt(); }

NodeStatus WhileDoElseNode::tick()
{
  if (childrenCount() != 3) {
    throw LogicError("WhileDoElseNode [", name(), "] must have 3 children");
  }
  setStatus(NodeStatus::RUNNING);

  const NodeStatus condition = children_nodes_[0]->executeTick();
  if (condition == NodeStatus::RUNNING) {
    return condition;
  }
  NodeStatus status;
  if (condition == NodeStatus::SUCCESS) {
    haltChild(2);
    status = children_nodes_[1]->executeTick();
  } else if (condition == NodeStatus::FAILURE) {
    haltChild(1);
    status = children_nodes_[2]->executeTick();
  } else {
    throw LogicError("A child node must never return IDLE");
  }
  if (status == NodeStatus::IDLE) {
    throw LogicError("A child node must never return IDLE");
  }
  if (status != NodeStatus::RUNNING) {
    haltChildren();
  }
  return status;
}

}  // namespace BT

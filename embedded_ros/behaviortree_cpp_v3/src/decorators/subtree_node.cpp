#include "behaviortree_cpp_v3/decorators/subtree_node.h"

namespace BT
{
SubtreeNode::SubtreeNode(const std::string & name) : DecoratorNode(name, {})
{
  setRegistrationID("SubTree");
}

NodeStatus SubtreeNode::tick()
{
  if (status() == NodeStatus::IDLE) {
    setStatus(NodeStatus::RUNNING);
  }
  return child_node_->executeTick();
}

SubtreePlusNode::SubtreePlusNode(const std::string & name) : DecoratorNode(name, {})
{
  setRegistrationID("SubTreePlus");
}

NodeStatus SubtreePlusNode::tick()
{
  if (status() == NodeStatus::IDLE) {
    setStatus(NodeStatus::RUNNING);
  }
  return child_node_->executeTick();
}

}  // namespace BT

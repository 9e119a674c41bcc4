#include "behaviortree_cpp_v3/decorator_node.h"

namespace BT
{
DecoratorNode::DecoratorNode(const std::string & name, const NodeConfiguration & config)
: TreeNode(name, config)
{
}

void DecoratorNode::setChild(TreeNode * child)
{
  if (child_node_ != nullptr) {
    throw BehaviorTreeException("Decorator [", name(), "] has already a child assigned");
  }
  child_node_ = child;
}

const TreeNode * DecoratorNode::child() const { return child_node_; }

TreeNode * DecoratorNode::child() { return child_node_; }

void DecoratorNode::halt()
{
  haltChild();
  setStatus(NodeStatus::IDLE);
}

void DecoratorNode::haltChild()
{
  if (child_node_ == nullptr) {
    return;
  }
  if (child_node_->status() == NodeStatus::RUNNING) {
    child_node_->halt();
  }
  child_node_->setStatus(NodeStatus::IDLE);
}

NodeStatus DecoratorNode::executeTick()
{
  const NodeStatus status = TreeNode::executeTick();
  if (child_node_ != nullptr && StatusCompleted(child_node_->status())) {
    child_node_->setStatus(NodeStatus::IDLE);
  }
  return status;
}

SimpleDecoratorNode::SimpleDecoratorNode(
  const std::string & name, TickFunctor tick_functor, const NodeConfiguration & config)
: DecoratorNode(name, config), tick_functor_(std::move(tick_functor))
{
}

NodeStatus SimpleDecoratorNode::tick() { return tick_functor_(child()->executeTick(), *this); }

}  // namespace BT

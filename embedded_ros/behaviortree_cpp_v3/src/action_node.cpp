#include "behaviortree_cpp_v3/action_node.h"

namespace BT
{
ActionNodeBase::ActionNodeBase(const std::string & name, const NodeConfiguration & config)
: LeafNode(name, config)
{
}

SyncActionNode::SyncActionNode(const std::string & name, const NodeConfiguration & config)
: ActionNodeBase(name, config)
{
}

NodeStatus SyncActionNode::executeTick()
{
  const NodeStatus status = ActionNodeBase::executeTick();
  if (status == NodeStatus::RUNNING) {
    throw LogicError("SyncActionNode MUST never return RUNNING");
  }
  return status;
}

SimpleActionNode::SimpleActionNode(
  const std::string & name, TickFunctor tick_functor, const NodeConfiguration & config)
: SyncActionNode(name, config), tick_functor_(std::move(tick_functor))
{
}

NodeStatus SimpleActionNode::tick()
{
  NodeStatus previous_status = status();
  if (previous_status == NodeStatus::IDLE) {
    setStatus(NodeStatus::RUNNING);
    previous_status = NodeStatus::RUNNING;
  }
  const NodeStatus status = tick_functor_(*this);
  if (status != previous_status) {
    setStatus(status);
  }
  return status;
}

NodeStatus StatefulActionNode::tick()
{
  const NodeStatus initial_status = status();
  if (initial_status == NodeStatus::IDLE) {
    const NodeStatus new_status = onStart();
    if (new_status == NodeStatus::IDLE) {
      throw LogicError("StatefulActionNode::onStart() must not return IDLE");
    }
    return new_status;
  }
  if (initial_status == NodeStatus::RUNNING) {
    const NodeStatus new_status = onRunning();
    if (new_status == NodeStatus::IDLE) {
      throw LogicError("StatefulActionNode::onRunning() must not return IDLE");
    }
    return new_status;
  }
  return initial_status;
}

// The status is left to the parent: ControlNode::haltChild and DecoratorNode::haltChild set the
// halted child back to IDLE.
void StatefulActionNode::halt()
{
  if (status() == NodeStatus::RUNNING) {
    onHalted();
  }
}

}  // namespace BT

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

AsyncActionNode::AsyncActionNode(const std::string & name, const NodeConfiguration & config)
: ActionNodeBase(name, config)
{
}

AsyncActionNode::~AsyncActionNode()
{
  halt_requested_.store(true);
  if (thread_handle_.valid()) {
    thread_handle_.wait();
  }
}

NodeStatus AsyncActionNode::executeTick()
{
  std::exception_ptr failure;
  {
    std::lock_guard<std::mutex> lock(exptr_mutex_);
    std::swap(failure, exptr_);
  }
  if (failure) {
    thread_handle_.wait();
    setStatus(NodeStatus::IDLE);
    std::rethrow_exception(failure);
  }
  if (status() == NodeStatus::IDLE) {
    // The previous run has ended (its status was set last); release its thread.
    if (thread_handle_.valid()) {
      thread_handle_.wait();
    }
    setStatus(NodeStatus::RUNNING);
    halt_requested_.store(false);
    thread_handle_ = std::async(std::launch::async, [this] {
      try {
        setStatus(tick());
      } catch (...) {
        // The status stays RUNNING: a parent must not see IDLE. The next tick rethrows.
        std::lock_guard<std::mutex> lock(exptr_mutex_);
        exptr_ = std::current_exception();
      }
      emitStateChanged();
    });
  }
  return status();
}

void AsyncActionNode::halt()
{
  halt_requested_.store(true);
  if (thread_handle_.valid()) {
    thread_handle_.wait();
  }
  thread_handle_ = {};
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

#ifndef BEHAVIORTREE_CPP_V3_ACTION_NODE_H
#define BEHAVIORTREE_CPP_V3_ACTION_NODE_H

#include <atomic>
#include <exception>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>

#include "behaviortree_cpp_v3/leaf_node.h"

namespace BT
{
/// Base class of every action. An action that returned SUCCESS or FAILURE is
/// ticked again only after its parent set it back to IDLE.
class ActionNodeBase : public LeafNode
{
public:
  ActionNodeBase(const std::string & name, const NodeConfiguration & config);
  ~ActionNodeBase() override = default;

  NodeType type() const final { return NodeType::ACTION; }
};

/// An action that completes within its tick: it never returns RUNNING.
class SyncActionNode : public ActionNodeBase
{
public:
  SyncActionNode(const std::string & name, const NodeConfiguration & config);
  ~SyncActionNode() override = default;

  /// Throws LogicError when tick() returns RUNNING.
  NodeStatus executeTick() override;

  void halt() final { setStatus(NodeStatus::IDLE); }
};

/// A SyncActionNode whose tick is a callable.
class SimpleActionNode : public SyncActionNode
{
public:
  using TickFunctor = std::function<NodeStatus(TreeNode &)>;

  SimpleActionNode(
    const std::string & name, TickFunctor tick_functor, const NodeConfiguration & config);
  ~SimpleActionNode() override = default;

protected:
  NodeStatus tick() final;

  TickFunctor tick_functor_;
};

/// An action whose tick() runs on a thread of its own. The first executeTick()
/// while IDLE starts tick() and answers RUNNING; later ones answer the status,
/// which the thread sets to tick()'s result when it ends. tick() should return
/// soon after isHaltRequested() turns true: halt() waits for it. An exception
/// thrown by tick() is rethrown by the next executeTick(), which leaves the node
/// IDLE.
class AsyncActionNode : public ActionNodeBase
{
public:
  AsyncActionNode(const std::string & name, const NodeConfiguration & config);
  ~AsyncActionNode() override;

  bool isHaltRequested() const { return halt_requested_.load(); }

  NodeStatus executeTick() final;

  /// Asks tick() to stop and waits until it has returned. Overrides call it.
  void halt() override;

private:
  std::exception_ptr exptr_;
  std::mutex exptr_mutex_;
  std::atomic_bool halt_requested_{false};
  std::future<void> thread_handle_;
};

/// An asynchronous action written as three callbacks: onStart() when ticked
/// while IDLE, onRunning() when ticked while RUNNING, onHalted() when halted
/// while RUNNING. halt() leaves the status as it is; whoever halts the node
/// sets it back to IDLE.
class StatefulActionNode : public ActionNodeBase
{
public:
  StatefulActionNode(const std::string & name, const NodeConfiguration & config)
  : ActionNodeBase(name, config)
  {
  }

  NodeStatus tick() final;

  void halt() final;

  virtual NodeStatus onStart() = 0;

  virtual NodeStatus onRunning() = 0;

  virtual void onHalted() = 0;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_ACTION_NODE_H

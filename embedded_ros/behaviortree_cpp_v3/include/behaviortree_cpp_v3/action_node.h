#ifndef BEHAVIORTREE_CPP_V3_ACTION_NODE_H
#define BEHAVIORTREE_CPP_V3_ACTION_NODE_H

#include <functional>
#include <string>

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

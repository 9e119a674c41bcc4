#ifndef BEHAVIORTREE_CPP_V3_DECORATOR_NODE_H
#define BEHAVIORTREE_CPP_V3_DECORATOR_NODE_H

#include <functional>
#include <string>

#include "behaviortree_cpp_v3/tree_node.h"

namespace BT
{
/// A node with exactly one child.
class DecoratorNode : public TreeNode
{
protected:
  TreeNode * child_node_ = nullptr;

public:
  DecoratorNode(const std::string & name, const NodeConfiguration & config);
  ~DecoratorNode() override = default;

  /// Throws BehaviorTreeException when a child is set already.
  void setChild(TreeNode * child);

  const TreeNode * child() const;

  TreeNode * child();

  /// Halts the child and goes back to IDLE.
  void halt() override;

  /// Halts the child if it is RUNNING and sets it to IDLE.
  void haltChild();

  NodeType type() const override { return NodeType::DECORATOR; }

  /// After a completed child, sets it back to IDLE.
  NodeStatus executeTick() override;
};

/// A DecoratorNode whose tick is a callable of the child's status.
class SimpleDecoratorNode : public DecoratorNode
{
public:
  using TickFunctor = std::function<NodeStatus(NodeStatus, TreeNode &)>;

  SimpleDecoratorNode(
    const std::string & name, TickFunctor tick_functor, const NodeConfiguration & config);

protected:
  NodeStatus tick() override;

  TickFunctor tick_functor_;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_DECORATOR_NODE_H

#ifndef BEHAVIORTREE_CPP_V3_CONDITION_NODE_H
#define BEHAVIORTREE_CPP_V3_CONDITION_NODE_H

#include <functional>
#include <string>

#include "behaviortree_cpp_v3/leaf_node.h"

namespace BT
{
/// A check that answers SUCCESS or FAILURE within its tick.
class ConditionNode : public LeafNode
{
public:
  ConditionNode(const std::string & name, const NodeConfiguration & config);
  ~ConditionNode() override = default;

  void halt() final { setStatus(NodeStatus::IDLE); }

  NodeType type() const final { return NodeType::CONDITION; }
};

/// A ConditionNode whose tick is a callable.
class SimpleConditionNode : public ConditionNode
{
public:
  using TickFunctor = std::function<NodeStatus(TreeNode &)>;

  SimpleConditionNode(
    const std::string & name, TickFunctor tick_functor, const NodeConfiguration & config);
  ~SimpleConditionNode() override = default;

protected:
  NodeStatus tick() override;

  TickFunctor tick_functor_;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_CONDITION_NODE_H

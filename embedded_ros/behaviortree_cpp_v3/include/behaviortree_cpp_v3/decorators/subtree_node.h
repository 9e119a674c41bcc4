#ifndef BEHAVIORTREE_CPP_V3_DECORATORS_SUBTREE_NODE_H
#define BEHAVIORTREE_CPP_V3_DECORATORS_SUBTREE_NODE_H

#include <string>

#include "behaviortree_cpp_v3/decorator_node.h"

namespace BT
{
/// The root of a tree included with <SubTree ID="..."/>. The subtree has a
/// blackboard of its own, connected to the parent's through the remapping
/// attributes (internal="external"), unless __shared_blackboard="true" makes it
/// use the parent's blackboard.
class SubtreeNode : public DecoratorNode
{
public:
  explicit SubtreeNode(const std::string & name);

  ~SubtreeNode() override = default;

  NodeType type() const final { return NodeType::SUBTREE; }

private:
  NodeStatus tick() override;
};

/// The root of a tree included with <SubTreePlus ID="..."/>: an attribute
/// internal="{external}" remaps a key, internal="text" writes a constant, and
/// __autoremap="true" makes every other key an alias of the parent's.
class SubtreePlusNode : public DecoratorNode
{
public:
  explicit SubtreePlusNode(const std::string & name);

  ~SubtreePlusNode() override = default;

  NodeType type() const final { return NodeType::SUBTREE; }

private:
  NodeStatus tick() override;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_DECORATORS_SUBTREE_NODE_H

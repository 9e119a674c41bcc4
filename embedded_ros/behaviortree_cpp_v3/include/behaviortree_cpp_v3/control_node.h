#ifndef BEHAVIORTREE_CPP_V3_CONTROL_NODE_H
#define BEHAVIORTREE_CPP_V3_CONTROL_NODE_H

#include <string>
#include <vector>

#include "behaviortree_cpp_v3/tree_node.h"

namespace BT
{
/// A node with any number of children, ticked in an order of its own.
class ControlNode : public TreeNode
{
protected:
  std::vector<TreeNode *> children_nodes_;

public:
  ControlNode(const std::string & name, const NodeConfiguration & config);
  ~ControlNode() override = default;

  void addChild(TreeNode * child);

  size_t childrenCount() const;

  const std::vector<TreeNode *> & children() const;

  const TreeNode * child(size_t index) const { return children().at(index); }

  /// Halts the children and goes back to IDLE.
  void halt() override;

  void haltChildren();

  /// Halts the child if it is RUNNING and sets it to IDLE.
  void haltChild(size_t i);

  NodeType type() const final { return NodeType::CONTROL; }
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_CONTROL_NODE_H

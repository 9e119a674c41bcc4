#ifndef BEHAVIORTREE_CPP_V3_LEAF_NODE_H
#define BEHAVIORTREE_CPP_V3_LEAF_NODE_H

#include "behaviortree_cpp_v3/tree_node.h"

namespace BT
{
class LeafNode : public TreeNode
{
public:
  LeafNode(const std::string & name, const NodeConfiguration & config) : TreeNode(name, config) {}

  ~LeafNode() override = default;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_LEAF_NODE_H

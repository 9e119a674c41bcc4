#include "behaviortree_cpp_v3/control_node.h"

namespace BT
{
ControlNode::ControlNode(const std::string & name, const NodeConfiguration & config)
: TreeNode(name, config)
{
}

void ControlNode::addChild(TreeNode * child) { children_nodes_.push_back(child); }

size_t ControlNode::childrenCount() const { return children_nodes_.size(); }

const std::vector<TreeNode *> & ControlNode::children() const { return children_nodes_; }

void ControlNode::halt()
{
  haltChildren();
  setStatus(NodeStatus::IDLE);
}

void ControlNode::haltChildren()
{
  for (size_t i = 0; i < children_nodes_.size(); ++i) {
    haltChild(i);
  }
}

void ControlNode::haltChild(size_t i)
{
  TreeNode * child = children_nodes_.at(i);
  if (child->status() == NodeStatus::RUNNING) {
    child->halt();
  }
  child->setStatus(NodeStatus::IDLE);
}

}  // namespace BT

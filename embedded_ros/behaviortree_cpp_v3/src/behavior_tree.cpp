#include "behaviortree_cpp_v3/behavior_tree.h"

#include <string>

namespace BT
{
void applyRecursiveVisitor(
  const TreeNode * node, const std::function<void(const TreeNode *)> & visitor)
{
  if (node == nullptr) {
    throw LogicError("One of the children of a DecoratorNode or ControlNode is nullptr");
  }
  visitor(node);
  if (auto control = dynamic_cast<const ControlNode *>(node)) {
    for (const auto * child : control->children()) {
      applyRecursiveVisitor(child, visitor);
    }
  } else if (auto decorator = dynamic_cast<const DecoratorNode *>(node)) {
    applyRecursiveVisitor(decorator->child(), visitor);
  }
}

void applyRecursiveVisitor(TreeNode * node, const std::function<void(TreeNode *)> & visitor)
{
  if (node == nullptr) {
    throw LogicError("One of the children of a DecoratorNode or ControlNode is nullptr");
  }
  visitor(node);
  if (auto control = dynamic_cast<ControlNode *>(node)) {
    for (auto * child : control->children()) {
      applyRecursiveVisitor(child, visitor);
    }
  } else if (auto decorator = dynamic_cast<DecoratorNode *>(node)) {
    applyRecursiveVisitor(decorator->child(), visitor);
  }
}

namespace
{
void printRecursively(const TreeNode * node, int indent, std::ostream & stream)
{
  stream << std::string(static_cast<size_t>(indent) * 3, ' ');
  if (node == nullptr) {
    stream << "!nullptr!" << std::endl;
    return;
  }
  stream << node->name() << std::endl;
  if (auto control = dynamic_cast<const ControlNode *>(node)) {
    for (const auto * child : control->children()) {
      printRecursively(child, indent + 1, stream);
    }
  } else if (auto decorator = dynamic_cast<const DecoratorNode *>(node)) {
    printRecursively(decorator->child(), indent + 1, stream);
  }
}
}  // namespace

void printTreeRecursively(const TreeNode * root_node, std::ostream & stream)
{
  stream << "----------------" << std::endl;
  printRecursively(root_node, 0, stream);
  stream << "----------------" << std::endl;
}

}  // namespace BT

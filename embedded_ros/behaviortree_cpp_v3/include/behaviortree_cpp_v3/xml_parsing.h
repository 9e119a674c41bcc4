#ifndef BEHAVIORTREE_CPP_V3_XML_PARSING_H
#define BEHAVIORTREE_CPP_V3_XML_PARSING_H

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "behaviortree_cpp_v3/bt_parser.h"

namespace BT
{
/// Parser of the BehaviorTree.CPP v3 XML format (root, BehaviorTree,
/// include, SubTree and SubTreePlus).
class XMLParser : public Parser
{
public:
  explicit XMLParser(const BehaviorTreeFactory & factory);

  ~XMLParser() override;

  void loadFromFile(const std::string & filename, bool add_includes = true) override;

  void loadFromText(const std::string & xml_text, bool add_includes = true) override;

  std::vector<std::string> registeredBehaviorTrees() const override;

  /// Builds tree_name, or else the tree named by main_tree_to_execute, or the
  /// only tree loaded.
  Tree instantiateTree(
    const Blackboard::Ptr & root_blackboard, std::string tree_name = {}) override;

  void clearInternalState() override;

private:
  struct Pimpl;
  std::unique_ptr<Pimpl> _p;
};

/// Throws RuntimeError when the XML breaks the rules of the format or uses a
/// node type that is not registered.
void VerifyXML(
  const std::string & xml_text, const std::unordered_map<std::string, NodeType> & registered_nodes);

Tree buildTreeFromText(
  const BehaviorTreeFactory & factory, const std::string & text,
  const Blackboard::Ptr & blackboard = Blackboard::create());

Tree buildTreeFromFile(
  const BehaviorTreeFactory & factory, const std::string & filename,
  const Blackboard::Ptr & blackboard = Blackboard::create());

/// The <TreeNodesModel> of the registered node types (the palette the tree editor reads), by
/// registration ID, ports by name; built-in types only with include_builtin.
std::string writeTreeNodesModelXML(
  const BehaviorTreeFactory & factory, bool include_builtin = false);

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_XML_PARSING_H

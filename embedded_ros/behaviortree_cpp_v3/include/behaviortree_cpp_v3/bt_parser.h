#ifndef BEHAVIORTREE_CPP_V3_BT_PARSER_H
#define BEHAVIORTREE_CPP_V3_BT_PARSER_H

#include <string>
#include <vector>

#include "behaviortree_cpp_v3/bt_factory.h"

namespace BT
{
/// Reads tree descriptions and builds trees from them.
class Parser
{
public:
  Parser() = default;
  virtual ~Parser() = default;

  Parser(const Parser &) = delete;
  Parser & operator=(const Parser &) = delete;

  virtual void loadFromFile(const std::string & filename, bool add_includes = true) = 0;

  virtual void loadFromText(const std::string & xml_text, bool add_includes = true) = 0;

  virtual std::vector<std::string> registeredBehaviorTrees() const = 0;

  virtual Tree instantiateTree(
    const Blackboard::Ptr & root_blackboard, std::string tree_name = {}) = 0;

  virtual void clearInternalState() {}
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_BT_PARSER_H

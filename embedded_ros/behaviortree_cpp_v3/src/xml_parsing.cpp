#include "behaviortree_cpp_v3/xml_parsing.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <list>
#include <map>

namespace BT
{
using tinyxml2::XMLAttribute;
using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

namespace
{
bool StrEqual(const char * lhs, const char * rhs) { return std::strcmp(lhs, rhs) == 0; }

[[noreturn]] void throwAtLine(int line_number, const std::string & text)
{
  throw RuntimeError("Error at line ", std::to_string(line_number), ": -> ", text);
}

void throwIfDocumentError(const XMLDocument & doc)
{
  if (doc.Error()) {
    throw RuntimeError("Error parsing the XML: ", doc.ErrorStr());
  }
}

int countChildren(const XMLElement * parent)
{
  int count = 0;
  for (auto node = parent->FirstChildElement(); node != nullptr;
       node = node->NextSiblingElement()) {
    ++count;
  }
  return count;
}

void requireID(const XMLElement * node)
{
  if (node->Attribute("ID") == nullptr) {
    throwAtLine(
      node->GetLineNum(), StrCat("The node <", node->Name(), "> must have the attribute [ID]"));
  }
}

void verifyElement(
  const XMLElement * node, const std::unordered_map<std::string, NodeType> & registered_nodes)
{
  const int children_count = countChildren(node);
  const char * name = node->Name();
  const int line = node->GetLineNum();
  if (StrEqual(name, "Decorator")) {
    if (children_count != 1) {
      throwAtLine(line, "The node <Decorator> must have exactly 1 child");
    }
    requireID(node);
  } else if (StrEqual(name, "Action") || StrEqual(name, "Condition")) {
    if (children_count != 0) {
      throwAtLine(line, StrCat("The node <", name, "> must not have any child"));
    }
    requireID(node);
  } else if (StrEqual(name, "Control")) {
    if (children_count == 0) {
      throwAtLine(line, "The node <Control> must have at least 1 child");
    }
    requireID(node);
  } else if (StrEqual(name, "SubTree") || StrEqual(name, "SubTreePlus")) {
    if (auto child = node->FirstChildElement()) {
      throwAtLine(
        line, StrEqual(child->Name(), "remap") ? std::string("<remap> was deprecated")
                                               : StrCat("<", name, "> should not have any child"));
    }
    requireID(node);
    return;
  } else if (StrEqual(name, "BehaviorTree")) {
    if (children_count != 1) {
      throwAtLine(line, "The node <BehaviorTree> must have exactly 1 child");
    }
  } else {
    const auto search = registered_nodes.find(name);
    if (search == registered_nodes.end()) {
      throwAtLine(line, StrCat("Node not recognized: ", name));
    }
    const NodeType type = search->second;
    if (type == NodeType::DECORATOR && children_count != 1) {
      throwAtLine(line, StrCat("The node <", name, "> must have exactly 1 child"));
    }
    if (type == NodeType::CONTROL && children_count == 0) {
      throwAtLine(line, "A Control node must have at least 1 child");
    }
    if ((type == NodeType::ACTION || type == NodeType::CONDITION) && children_count != 0) {
      throwAtLine(line, StrCat("The node <", name, "> must not have any child"));
    }
  }
  for (auto child = node->FirstChildElement(); child != nullptr;
       child = child->NextSiblingElement()) {
    verifyElement(child, registered_nodes);
  }
}

void verifyDocument(
  const XMLDocument & doc, const std::unordered_map<std::string, NodeType> & registered_nodes)
{
  const XMLElement * xml_root = doc.RootElement();
  if (xml_root == nullptr || !StrEqual(xml_root->Name(), "root")) {
    throw RuntimeError("The XML must have a root node called <root>");
  }
  auto models_root = xml_root->FirstChildElement("TreeNodesModel");
  if (models_root != nullptr) {
    if (auto second = models_root->NextSiblingElement("TreeNodesModel")) {
      throwAtLine(second->GetLineNum(), "Only a single node <TreeNodesModel> is supported");
    }
    for (auto model = models_root->FirstChildElement(); model != nullptr;
         model = model->NextSiblingElement()) {
      if (model->Attribute("ID") == nullptr) {
        throwAtLine(model->GetLineNum(), "The attribute [ID] is mandatory");
      }
    }
  }
  for (auto bt_root = xml_root->FirstChildElement("BehaviorTree"); bt_root != nullptr;
       bt_root = bt_root->NextSiblingElement("BehaviorTree")) {
    verifyElement(bt_root, registered_nodes);
  }
}

}  // namespace

void VerifyXML(
  const std::string & xml_text, const std::unordered_map<std::string, NodeType> & registered_nodes)
{
  XMLDocument doc;
  doc.Parse(xml_text.c_str(), xml_text.size());
  throwIfDocumentError(doc);
  verifyDocument(doc, registered_nodes);
}

struct XMLParser::Pimpl
{
  explicit Pimpl(const BehaviorTreeFactory & fact)
  : factory(fact), current_path(std::filesystem::current_path())
  {
  }

  void clear()
  {
    suffix_count = 0;
    current_path = std::filesystem::current_path();
    opened_documents.clear();
    tree_roots.clear();
    include_chain.clear();
  }

  void loadDocImpl(XMLDocument * doc, bool add_includes);

  void loadInclude(const XMLElement * include_node, bool add_includes);

  TreeNode::Ptr createNodeFromXML(
    const XMLElement * element, const Blackboard::Ptr & blackboard,
    const TreeNode::Ptr & node_parent);

  void recursivelyCreateTree(
    const std::string & tree_ID, Tree & output_tree, const Blackboard::Ptr & blackboard,
    const TreeNode::Ptr & root_parent);

  void createSubtree(
    const TreeNode::Ptr & node, const XMLElement * element, Tree & output_tree,
    const Blackboard::Ptr & blackboard);

  const BehaviorTreeFactory & factory;
  std::filesystem::path current_path;
  std::list<std::unique_ptr<XMLDocument>> opened_documents;
  std::map<std::string, const XMLElement *> tree_roots;
  std::vector<std::string> trees_in_construction;
  // Files whose includes are being loaded, outermost first: a file met again here would include
  // itself without end.
  std::vector<std::filesystem::path> include_chain;
  int suffix_count = 0;
};

namespace
{

std::filesystem::path identityOf(const std::filesystem::path & file)
{
  std::error_code error;
  auto canonical = std::filesystem::weakly_canonical(file, error);
  return error ? file.lexically_normal() : canonical;
}

std::string describeChain(
  const std::vector<std::filesystem::path> & chain, const std::filesystem::path & repeated)
{
  std::string text;
  for (auto it = std::find(chain.begin(), chain.end(), repeated); it != chain.end(); ++it) {
    text += it->string() + " -> ";
  }
  return text + repeated.string();
}

}  // namespace

XMLParser::XMLParser(const BehaviorTreeFactory & factory) : _p(std::make_unique<Pimpl>(factory)) {}

XMLParser::~XMLParser() = default;

void XMLParser::loadFromFile(const std::string & filename, bool add_includes)
{
  _p->opened_documents.emplace_back(std::make_unique<XMLDocument>());
  XMLDocument * doc = _p->opened_documents.back().get();
  doc->LoadFile(filename.c_str());
  const auto absolute_path = std::filesystem::absolute(std::filesystem::path(filename));
  _p->current_path = absolute_path.parent_path();
  _p->include_chain.assign({identityOf(absolute_path)});
  _p->loadDocImpl(doc, add_includes);
  _p->include_chain.clear();
}

void XMLParser::loadFromText(const std::string & xml_text, bool add_includes)
{
  _p->opened_documents.emplace_back(std::make_unique<XMLDocument>());
  XMLDocument * doc = _p->opened_documents.back().get();
  doc->Parse(xml_text.c_str(), xml_text.size());
  _p->include_chain.clear();
  _p->loadDocImpl(doc, add_includes);
}

std::vector<std::string> XMLParser::registeredBehaviorTrees() const
{
  std::vector<std::string> names;
  for (const auto & it : _p->tree_roots) {
    names.push_back(it.first);
  }
  return names;
}

void XMLParser::clearInternalState() { _p->clear(); }

void XMLParser::Pimpl::loadDocImpl(XMLDocument * doc, bool add_includes)
{
  throwIfDocumentError(*doc);
  const XMLElement * xml_root = doc->RootElement();
  if (xml_root == nullptr || !StrEqual(xml_root->Name(), "root")) {
    throw RuntimeError("The XML must have a root node called <root>");
  }

  if (add_includes) {
    for (auto include_node = xml_root->FirstChildElement("include"); include_node != nullptr;
         include_node = include_node->NextSiblingElement("include")) {
      loadInclude(include_node, add_includes);
    }
  }

  std::unordered_map<std::string, NodeType> registered_nodes;
  for (const auto & it : factory.manifests()) {
    registered_nodes.insert({it.first, it.second.type});
  }
  verifyDocument(*doc, registered_nodes);

  for (auto bt_node = xml_root->FirstChildElement("BehaviorTree"); bt_node != nullptr;
       bt_node = bt_node->NextSiblingElement("BehaviorTree")) {
    const char * id = bt_node->Attribute("ID");
    const std::string tree_name =
      id != nullptr ? id : "BehaviorTree_" + std::to_string(suffix_count++);
    tree_roots.insert({tree_name, bt_node});
  }
}

void XMLParser::Pimpl::loadInclude(const XMLElement * include_node, bool add_includes)
{
  const char * path_attribute = include_node->Attribute("path");
  if (path_attribute == nullptr) {
    throwAtLine(include_node->GetLineNum(), "The node <include> must have the attribute [path]");
  }
  if (include_node->Attribute("ros_pkg") != nullptr) {
    throwAtLine(
      include_node->GetLineNum(),
      "Using attribute [ros_pkg] in <include>, but this library was compiled without ROS support");
  }
  std::filesystem::path file_path(path_attribute);
  if (!file_path.is_absolute()) {
    file_path = current_path / file_path;
  }

  const auto identity = identityOf(file_path);
  if (std::find(include_chain.begin(), include_chain.end(), identity) != include_chain.end()) {
    throwAtLine(
      include_node->GetLineNum(),
      "The <include> makes a cycle of files: " + describeChain(include_chain, identity));
  }

  opened_documents.emplace_back(std::make_unique<XMLDocument>());
  XMLDocument * next_doc = opened_documents.back().get();

  // Paths inside the included file are relative to that file.
  const auto previous_path = current_path;
  current_path = file_path.parent_path();
  include_chain.push_back(identity);
  next_doc->LoadFile(file_path.c_str());
  loadDocImpl(next_doc, add_includes);
  include_chain.pop_back();
  current_path = previous_path;
}

Tree XMLParser::instantiateTree(const Blackboard::Ptr & root_blackboard, std::string tree_name)
{
  if (_p->opened_documents.empty()) {
    throw RuntimeError("XMLParser::instantiateTree: no XML was loaded");
  }
  if (tree_name.empty()) {
    const XMLElement * first_xml_root = _p->opened_documents.front()->RootElement();
    if (auto main_tree_attribute = first_xml_root->Attribute("main_tree_to_execute")) {
      tree_name = main_tree_attribute;
    } else if (_p->tree_roots.size() == 1) {
      tree_name = _p->tree_roots.begin()->first;
    } else {
      throw RuntimeError("[main_tree_to_execute] was not specified correctly");
    }
  }
  if (!root_blackboard) {
    throw RuntimeError("XMLParser::instantiateTree needs a non-empty root_blackboard");
  }

  Tree output_tree;
  output_tree.blackboard_stack.push_back(root_blackboard);
  _p->trees_in_construction.clear();
  _p->recursivelyCreateTree(tree_name, output_tree, root_blackboard, TreeNode::Ptr());
  output_tree.initialize();
  return output_tree;
}

TreeNode::Ptr XMLParser::Pimpl::createNodeFromXML(
  const XMLElement * element, const Blackboard::Ptr & blackboard, const TreeNode::Ptr & node_parent)
{
  const std::string element_name = element->Name();
  const bool generic_element = element_name == "Action" || element_name == "Decorator" ||
                               element_name == "Condition" || element_name == "Control";
  const std::string ID = generic_element ? element->Attribute("ID") : element_name;

  std::string instance_name = ID;
  if (const char * alias = element->Attribute("name")) {
    instance_name = alias;
  }

  PortsRemapping port_remap;
  if (element_name == "SubTree" || element_name == "SubTreePlus") {
    instance_name = element->Attribute("ID");
  } else {
    for (const XMLAttribute * att = element->FirstAttribute(); att != nullptr; att = att->Next()) {
      if (!IsReservedPortname(att->Name())) {
        port_remap[att->Name()] = att->Value();
      }
    }
  }

  NodeConfiguration config;
  config.blackboard = blackboard;
  TreeNode::Ptr child_node;

  if (factory.builders().count(ID) != 0) {
    const auto & manifest = factory.manifests().at(ID);
    for (const auto & remap_it : port_remap) {
      if (manifest.ports.count(remap_it.first) == 0) {
        throw RuntimeError(
          "Possible typo? In the XML, you tried to remap port \"", remap_it.first, "\" in node [",
          ID, " / ", instance_name,
          "], but the manifest of this node does not contain a port with this name.");
      }
    }

    // Entries named by typed ports get their type now, so that the first
    // write of another type fails.
    for (const auto & [port_name, port_info] : manifest.ports) {
      auto remap_it = port_remap.find(port_name);
      if (remap_it == port_remap.end()) {
        continue;
      }
      auto remapped = TreeNode::getRemappedKey(port_name, remap_it->second);
      if (!remapped) {
        continue;
      }
      const auto port_key = static_cast<std::string>(remapped.value());
      if (auto previous_info = blackboard->portInfo(port_key)) {
        const bool type_mismatch = previous_info->isStronglyTyped() &&
                                   port_info.isStronglyTyped() &&
                                   *previous_info->type() != *port_info.type();
        const bool string_input =
          previous_info->type() != nullptr && *previous_info->type() == typeid(std::string);
        if (type_mismatch && !string_input) {
          throw RuntimeError(
            "The creation of the tree failed because the port [", port_key,
            "] was initially created with type [", demangle(previous_info->type()),
            "] and, later type [", demangle(port_info.type()), "] was used somewhere else.");
        }
      } else {
        blackboard->createEntry(port_key, port_info);
      }
    }

    for (const auto & remap_it : port_remap) {
      const auto direction = manifest.ports.at(remap_it.first).direction();
      if (direction != PortDirection::OUTPUT) {
        config.input_ports.insert(remap_it);
      }
      if (direction != PortDirection::INPUT) {
        config.output_ports.insert(remap_it);
      }
    }

    for (const auto & [port_name, port_info] : manifest.ports) {
      if (
        port_info.direction() != PortDirection::OUTPUT &&
        config.input_ports.count(port_name) == 0 && !port_info.defaultValue().empty()) {
        config.input_ports.insert({port_name, port_info.defaultValue()});
      }
    }

    child_node = factory.instantiateTreeNode(instance_name, ID, config);
  } else {
    throw RuntimeError(ID, " is not a registered node, nor a Subtree");
  }

  if (node_parent) {
    if (auto control_parent = dynamic_cast<ControlNode *>(node_parent.get())) {
      control_parent->addChild(child_node.get());
    } else if (auto decorator_parent = dynamic_cast<DecoratorNode *>(node_parent.get())) {
      decorator_parent->setChild(child_node.get());
    }
  }
  return child_node;
}

void XMLParser::Pimpl::recursivelyCreateTree(
  const std::string & tree_ID, Tree & output_tree, const Blackboard::Ptr & blackboard,
  const TreeNode::Ptr & root_parent)
{
  auto it = tree_roots.find(tree_ID);
  if (it == tree_roots.end()) {
    throw RuntimeError("Can't find a tree with name: ", tree_ID);
  }
  if (
    std::find(trees_in_construction.begin(), trees_in_construction.end(), tree_ID) !=
    trees_in_construction.end()) {
    throw RuntimeError("The tree [", tree_ID, "] includes itself as a SubTree");
  }
  trees_in_construction.push_back(tree_ID);

  std::function<void(const TreeNode::Ptr &, const XMLElement *)> recursiveStep =
    [&](const TreeNode::Ptr & parent, const XMLElement * element) {
      auto node = createNodeFromXML(element, blackboard, parent);
      output_tree.nodes.push_back(node);
      if (node->type() == NodeType::SUBTREE) {
        createSubtree(node, element, output_tree, blackboard);
        return;
      }
      for (auto child_element = element->FirstChildElement(); child_element != nullptr;
           child_element = child_element->NextSiblingElement()) {
        recursiveStep(node, child_element);
      }
    };
  recursiveStep(root_parent, it->second->FirstChildElement());
  trees_in_construction.pop_back();
}

void XMLParser::Pimpl::createSubtree(
  const TreeNode::Ptr & node, const XMLElement * element, Tree & output_tree,
  const Blackboard::Ptr & blackboard)
{
  if (dynamic_cast<const SubtreeNode *>(node.get()) != nullptr) {
    const char * shared = element->Attribute("__shared_blackboard");
    if (shared != nullptr && convertFromString<bool>(shared)) {
      recursivelyCreateTree(node->name(), output_tree, blackboard, node);
      return;
    }
    auto new_bb = Blackboard::create(blackboard);
    for (const XMLAttribute * attr = element->FirstAttribute(); attr != nullptr;
         attr = attr->Next()) {
      if (!IsReservedPortname(attr->Name()) && !StrEqual(attr->Name(), "__shared_blackboard")) {
        new_bb->addSubtreeRemapping(attr->Name(), attr->Value());
      }
    }
    output_tree.blackboard_stack.emplace_back(new_bb);
    recursivelyCreateTree(node->name(), output_tree, new_bb, node);
    return;
  }

  auto new_bb = Blackboard::create(blackboard);
  output_tree.blackboard_stack.emplace_back(new_bb);
  for (const XMLAttribute * attr = element->FirstAttribute(); attr != nullptr;
       attr = attr->Next()) {
    const char * attr_name = attr->Name();
    const char * attr_value = attr->Value();
    if (IsReservedPortname(attr_name)) {
      continue;
    }
    if (StrEqual(attr_name, "__autoremap")) {
      new_bb->enableAutoRemapping(convertFromString<bool>(attr_value));
    } else if (TreeNode::isBlackboardPointer(attr_value)) {
      new_bb->addSubtreeRemapping(attr_name, TreeNode::stripBlackboardPointer(attr_value));
    } else {
      new_bb->set(attr_name, std::string(attr_value));
    }
  }
  recursivelyCreateTree(node->name(), output_tree, new_bb, node);
}

Tree buildTreeFromText(
  const BehaviorTreeFactory & factory, const std::string & text, const Blackboard::Ptr & blackboard)
{
  XMLParser parser(factory);
  parser.loadFromText(text);
  return parser.instantiateTree(blackboard);
}

Tree buildTreeFromFile(
  const BehaviorTreeFactory & factory, const std::string & filename,
  const Blackboard::Ptr & blackboard)
{
  XMLParser parser(factory);
  parser.loadFromFile(filename);
  return parser.instantiateTree(blackboard);
}

std::string writeTreeNodesModelXML(const BehaviorTreeFactory & factory, bool include_builtin)
{
  XMLDocument doc;
  XMLElement * root = doc.NewElement("root");
  doc.InsertFirstChild(root);
  XMLElement * model_root = doc.NewElement("TreeNodesModel");
  root->InsertEndChild(model_root);

  const std::map<std::string, TreeNodeManifest> ordered_models(
    factory.manifests().begin(), factory.manifests().end());
  for (const auto & [registration_ID, model] : ordered_models) {
    if (!include_builtin && factory.builtinNodes().count(registration_ID) != 0) {
      continue;
    }
    XMLElement * element = doc.NewElement(toStr(model.type).c_str());
    element->SetAttribute("ID", model.registration_ID.c_str());
    const std::map<std::string, PortInfo> ordered_ports(model.ports.begin(), model.ports.end());
    for (const auto & [port_name, port_info] : ordered_ports) {
      const char * tag = "inout_port";
      if (port_info.direction() == PortDirection::INPUT) {
        tag = "input_port";
      } else if (port_info.direction() == PortDirection::OUTPUT) {
        tag = "output_port";
      }
      XMLElement * port_element = doc.NewElement(tag);
      port_element->SetAttribute("name", port_name.c_str());
      if (port_info.type() != nullptr) {
        port_element->SetAttribute("type", BT::demangle(port_info.type()).c_str());
      }
      if (!port_info.defaultValue().empty()) {
        port_element->SetAttribute("default", port_info.defaultValue().c_str());
      }
      if (!port_info.description().empty()) {
        port_element->SetText(port_info.description().c_str());
      }
      element->InsertEndChild(port_element);
    }
    model_root->InsertEndChild(element);
  }

  tinyxml2::XMLPrinter printer;
  doc.Print(&printer);
  return std::string(printer.CStr(), static_cast<size_t>(printer.CStrSize() - 1));
}

}  // namespace BT

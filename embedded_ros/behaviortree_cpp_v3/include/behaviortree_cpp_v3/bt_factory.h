#ifndef BEHAVIORTREE_CPP_V3_BT_FACTORY_H
#define BEHAVIORTREE_CPP_V3_BT_FACTORY_H

#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "behaviortree_cpp_v3/behavior_tree.h"

namespace BT
{
/// Creates a node from its instance name and configuration.
using NodeBuilder =
  std::function<std::unique_ptr<TreeNode>(const std::string &, const NodeConfiguration &)>;

template <typename T>
using has_default_constructor = typename std::is_constructible<T, const std::string &>;

template <typename T>
using has_params_constructor =
  typename std::is_constructible<T, const std::string &, const NodeConfiguration &>;

template <typename T>
inline NodeBuilder CreateBuilder()
{
  return
    [](const std::string & name, const NodeConfiguration & config) -> std::unique_ptr<TreeNode> {
      if constexpr (has_default_constructor<T>::value && has_params_constructor<T>::value) {
        if (config.input_ports.empty() && config.output_ports.empty()) {
          return std::make_unique<T>(name);
        }
        return std::make_unique<T>(name, config);
      } else if constexpr (has_params_constructor<T>::value) {
        return std::make_unique<T>(name, config);
      } else {
        return std::make_unique<T>(name);
      }
    };
}

template <typename T>
inline TreeNodeManifest CreateManifest(
  const std::string & ID, PortsList portlist = getProvidedPorts<T>())
{
  return {getType<T>(), ID, portlist, {}};
}

/// Name of the function a plug-in library exports with BT_REGISTER_NODES.
constexpr const char * PLUGIN_SYMBOL = "BT_RegisterNodesFromPlugin";

// In a plug-in library, built with BT_PLUGIN_EXPORT defined:
//
//   BT_REGISTER_NODES(factory)
//   {
//     factory.registerNodeType<MoveBaseAction>("MoveBase");
//   }
//
// Put it in a .cpp file. Without BT_PLUGIN_EXPORT it declares a static function
// that the program calls itself.
#ifndef BT_PLUGIN_EXPORT

#define BT_REGISTER_NODES(factory) \
  static void BT_RegisterNodesFromPlugin(BT::BehaviorTreeFactory & factory)

#else

#define BT_REGISTER_NODES(factory)                       \
  extern "C" void __attribute__((visibility("default"))) \
  BT_RegisterNodesFromPlugin(BT::BehaviorTreeFactory & factory)

#endif

/// The nodes of one tree, the root first. Destroying the tree halts it.
class Tree
{
public:
  std::vector<TreeNode::Ptr> nodes;
  std::vector<Blackboard::Ptr> blackboard_stack;
  std::unordered_map<std::string, TreeNodeManifest> manifests;

  Tree() {}

  Tree(const Tree &) = delete;
  Tree & operator=(const Tree &) = delete;

  Tree(Tree && other) noexcept;

  /// Halts the tree held so far, then takes over the other one. Not noexcept:
  /// a node may throw from halt().
  Tree & operator=(Tree && other);  // NOLINT(performance-noexcept-move-constructor)

  ~Tree();

  void initialize();

  /// Halts every node and sets it back to IDLE.
  void haltTree();

  /// The first node, or nullptr for an empty tree.
  TreeNode * rootNode() const;

  /// Ticks the root once; a completed root is set back to IDLE.
  /// Throws RuntimeError for an empty tree.
  NodeStatus tickRoot();

  /// Ticks until the root completes, sleeping between ticks.
  NodeStatus tickRootWhileRunning(
    std::chrono::milliseconds sleep_time = std::chrono::milliseconds(10));

  /// Sleeps for the time-out, or until a node calls emitStateChanged().
  void sleep(std::chrono::system_clock::duration timeout);

  /// The blackboard of the main tree, or null for an empty tree.
  Blackboard::Ptr rootBlackboard();

private:
  std::shared_ptr<WakeUpSignal> wake_up_;
};

class Parser;

/// Creates nodes and trees from registered node types and XML descriptions.
class BehaviorTreeFactory
{
public:
  /// Registers the built-in nodes.
  BehaviorTreeFactory();

  ~BehaviorTreeFactory();

  BehaviorTreeFactory(const BehaviorTreeFactory &) = delete;
  BehaviorTreeFactory & operator=(const BehaviorTreeFactory &) = delete;

  /// False when the ID was not registered. Built-in nodes cannot be removed.
  bool unregisterBuilder(const std::string & ID);

  /// Throws BehaviorTreeException when the ID is registered already.
  void registerBuilder(const TreeNodeManifest & manifest, const NodeBuilder & builder);

  template <typename T>
  void registerBuilder(const std::string & ID, const NodeBuilder & builder)
  {
    registerBuilder(CreateManifest<T>(ID), builder);
  }

  void registerSimpleAction(
    const std::string & ID, const SimpleActionNode::TickFunctor & tick_functor,
    PortsList ports = {});

  void registerSimpleCondition(
    const std::string & ID, const SimpleConditionNode::TickFunctor & tick_functor,
    PortsList ports = {});

  void registerSimpleDecorator(
    const std::string & ID, const SimpleDecoratorNode::TickFunctor & tick_functor,
    PortsList ports = {});

  /// Loads a shared library and runs its BT_REGISTER_NODES function. Throws
  /// RuntimeError naming the library when it cannot be loaded or does not
  /// export that function.
  void registerFromPlugin(const std::string & file_path);

  /// Makes the trees of an XML file available to createTree().
  void registerBehaviorTreeFromFile(const std::string & filename);

  void registerBehaviorTreeFromText(const std::string & xml_text);

  std::vector<std::string> registeredBehaviorTrees() const;

  void clearRegisteredBehaviorTrees();

  /// Throws RuntimeError when the ID is not registered.
  std::unique_ptr<TreeNode> instantiateTreeNode(
    const std::string & name, const std::string & ID, const NodeConfiguration & config) const;

  /// Registers a node class derived from ActionNodeBase, ConditionNode,
  /// ControlNode or DecoratorNode, with the ports of its providedPorts().
  template <typename T>
  void registerNodeType(const std::string & ID)
  {
    checkNodeClass<T>();
    constexpr bool param_constructable = has_params_constructor<T>::value;
    constexpr bool has_static_ports_list = has_static_method_providedPorts<T>::value;

    static_assert(
      !(param_constructable && !has_static_ports_list),
      "[registerNode]: you MUST implement the static method: PortsList providedPorts();\n");

    static_assert(
      !(has_static_ports_list && !param_constructable),
      "[registerNode]: since you have a static method providedPorts(), you MUST add a constructor "
      "with signature (const std::string&, const NodeConfiguration&)\n");

    registerBuilder(CreateManifest<T>(ID), CreateBuilder<T>());
  }

  /// Registers a node class with an explicit list of ports.
  template <typename T>
  void registerNodeType(const std::string & ID, PortsList ports)
  {
    checkNodeClass<T>();
    static_assert(
      !has_static_method_providedPorts<T>::value,
      "[registerNode]: ports are passed to this node explicitly. The static method "
      "providedPorts() should be removed to avoid ambiguities\n");
    static_assert(
      has_params_constructor<T>::value,
      "[registerNode]: since this node has ports, you MUST add a constructor with signature "
      "(const std::string&, const NodeConfiguration&)\n");

    registerBuilder(CreateManifest<T>(ID, ports), CreateBuilder<T>());
  }

  const std::unordered_map<std::string, NodeBuilder> & builders() const;

  const std::unordered_map<std::string, TreeNodeManifest> & manifests() const;

  const std::set<std::string> & builtinNodes() const;

  /// Builds the tree of an XML text: the tree named by main_tree_to_execute,
  /// or the only tree. Throws RuntimeError (or LogicError) saying what is wrong
  /// and, for XML faults, at which line.
  Tree createTreeFromText(
    const std::string & text, Blackboard::Ptr blackboard = Blackboard::create());

  Tree createTreeFromFile(
    const std::string & file_path, Blackboard::Ptr blackboard = Blackboard::create());

  /// Builds a tree registered with registerBehaviorTreeFromFile/Text.
  Tree createTree(const std::string & tree_name, Blackboard::Ptr blackboard = Blackboard::create());

private:
  template <typename T>
  static constexpr void checkNodeClass()
  {
    static_assert(
      std::is_base_of<ActionNodeBase, T>::value || std::is_base_of<ControlNode, T>::value ||
        std::is_base_of<DecoratorNode, T>::value || std::is_base_of<ConditionNode, T>::value,
      "[registerNode]: accepts only classed derived from either ActionNodeBase, "
      "DecoratorNode, ControlNode or ConditionNode");
    static_assert(
      !std::is_abstract<T>::value,
      "[registerNode]: Some methods are pure virtual. Did you override the methods tick() and "
      "halt()?");
    static_assert(
      has_default_constructor<T>::value || has_params_constructor<T>::value,
      "[registerNode]: the registered class must have at least one of these two constructors: "
      "(const std::string&, const NodeConfiguration&) or (const std::string&).");
  }

  std::unordered_map<std::string, NodeBuilder> builders_;
  std::unordered_map<std::string, TreeNodeManifest> manifests_;
  std::set<std::string> builtin_IDs_;
  std::shared_ptr<Parser> parser_;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_BT_FACTORY_H

#include "behaviortree_cpp_v3/bt_factory.h"

#include "behaviortree_cpp_v3/utils/shared_library.h"
#include "behaviortree_cpp_v3/xml_parsing.h"

namespace BT
{
BehaviorTreeFactory::BehaviorTreeFactory() : parser_(std::make_shared<XMLParser>(*this))
{
  registerNodeType<FallbackNode>("Fallback");
  registerNodeType<SequenceNode>("Sequence");
  registerNodeType<SequenceStarNode>("SequenceStar");
  registerNodeType<ParallelNode>("Parallel");
  registerNodeType<ReactiveSequence>("ReactiveSequence");
  registerNodeType<ReactiveFallback>("ReactiveFallback");
  registerNodeType<IfThenElseNode>("IfThenElse");
  registerNodeType<WhileDoElseNode>("WhileDoElse");

  registerNodeType<InverterNode>("Inverter");
  registerNodeType<RetryNode>("RetryUntilSuccessful");
  registerNodeType<KeepRunningUntilFailureNode>("KeepRunningUntilFailure");
  registerNodeType<RepeatNode>("Repeat");
  registerNodeType<TimeoutNode<>>("Timeout");
  registerNodeType<ForceSuccessNode>("ForceSuccess");
  registerNodeType<ForceFailureNode>("ForceFailure");
  registerNodeType<DelayNode>("Delay");

  registerNodeType<AlwaysSuccessNode>("AlwaysSuccess");
  registerNodeType<AlwaysFailureNode>("AlwaysFailure");
  registerNodeType<SetBlackboard>("SetBlackboard");

  registerNodeType<SwitchNode<2>>("Switch2");
  registerNodeType<SwitchNode<3>>("Switch3");
  registerNodeType<SwitchNode<4>>("Switch4");
  registerNodeType<SwitchNode<5>>("Switch5");
  registerNodeType<SwitchNode<6>>("Switch6");

  registerNodeType<BlackboardPreconditionNode<int>>("BlackboardCheckInt");
  registerNodeType<BlackboardPreconditionNode<double>>("BlackboardCheckDouble");
  registerNodeType<BlackboardPreconditionNode<std::string>>("BlackboardCheckString");
  registerNodeType<BlackboardPreconditionNode<bool>>("BlackboardCheckBool");

  registerNodeType<SubtreeNode>("SubTree");
  registerNodeType<SubtreePlusNode>("SubTreePlus");

  for (const auto & it : builders_) {
    builtin_IDs_.insert(it.first);
  }
}

BehaviorTreeFactory::~BehaviorTreeFactory() = default;

bool BehaviorTreeFactory::unregisterBuilder(const std::string & ID)
{
  if (builtin_IDs_.count(ID) != 0) {
    throw LogicError("You can not remove the builtin registration ID [", ID, "]");
  }
  if (builders_.erase(ID) == 0) {
    return false;
  }
  manifests_.erase(ID);
  return true;
}

void BehaviorTreeFactory::registerBuilder(
  const TreeNodeManifest & manifest, const NodeBuilder & builder)
{
  if (builders_.count(manifest.registration_ID) != 0) {
    throw BehaviorTreeException("ID [", manifest.registration_ID, "] already registered");
  }
  builders_.insert({manifest.registration_ID, builder});
  manifests_.insert({manifest.registration_ID, manifest});
}

void BehaviorTreeFactory::registerSimpleAction(
  const std::string & ID, const SimpleActionNode::TickFunctor & tick_functor, PortsList ports)
{
  NodeBuilder builder = [tick_functor](const std::string & name, const NodeConfiguration & config) {
    return std::make_unique<SimpleActionNode>(name, tick_functor, config);
  };
  registerBuilder({NodeType::ACTION, ID, std::move(ports), {}}, builder);
}

void BehaviorTreeFactory::registerSimpleCondition(
  const std::string & ID, const SimpleConditionNode::TickFunctor & tick_functor, PortsList ports)
{
  NodeBuilder builder = [tick_functor](const std::string & name, const NodeConfiguration & config) {
    return std::make_unique<SimpleConditionNode>(name, tick_functor, config);
  };
  registerBuilder({NodeType::CONDITION, ID, std::move(ports), {}}, builder);
}

void BehaviorTreeFactory::registerSimpleDecorator(
  const std::string & ID, const SimpleDecoratorNode::TickFunctor & tick_functor, PortsList ports)
{
  NodeBuilder builder = [tick_functor](const std::string & name, const NodeConfiguration & config) {
    return std::make_unique<SimpleDecoratorNode>(name, tick_functor, config);
  };
  registerBuilder({NodeType::DECORATOR, ID, std::move(ports), {}}, builder);
}

void BehaviorTreeFactory::registerFromPlugin(const std::string & file_path)
{
  SharedLibrary loader;
  loader.load(file_path);
  if (!loader.hasSymbol(PLUGIN_SYMBOL)) {
    throw RuntimeError(
      "ERROR loading library [", file_path, "]: can't find symbol [", PLUGIN_SYMBOL, "]");
  }
  using RegisterFunction = void (*)(BehaviorTreeFactory &);
  auto register_nodes = reinterpret_cast<RegisterFunction>(loader.getSymbol(PLUGIN_SYMBOL));
  register_nodes(*this);
}

void BehaviorTreeFactory::registerBehaviorTreeFromFile(const std::string & filename)
{
  parser_->loadFromFile(filename);
}

void BehaviorTreeFactory::registerBehaviorTreeFromText(const std::string & xml_text)
{
  parser_->loadFromText(xml_text);
}

std::vector<std::string> BehaviorTreeFactory::registeredBehaviorTrees() const
{
  return parser_->registeredBehaviorTrees();
}

void BehaviorTreeFactory::clearRegisteredBehaviorTrees() { parser_->clearInternalState(); }

std::unique_ptr<TreeNode> BehaviorTreeFactory::instantiateTreeNode(
  const std::string & name, const std::string & ID, const NodeConfiguration & config) const
{
  auto it = builders_.find(ID);
  if (it == builders_.end()) {
    throw RuntimeError("BehaviorTreeFactory: ID [", ID, "] not registered");
  }
  std::unique_ptr<TreeNode> node = it->second(name, config);
  node->setRegistrationID(ID);
  return node;
}

const std::unordered_map<std::string, NodeBuilder> & BehaviorTreeFactory::builders() const
{
  return builders_;
}

const std::unordered_map<std::string, TreeNodeManifest> & BehaviorTreeFactory::manifests() const
{
  return manifests_;
}

const std::set<std::string> & BehaviorTreeFactory::builtinNodes() const { return builtin_IDs_; }

Tree BehaviorTreeFactory::createTreeFromText(const std::string & text, Blackboard::Ptr blackboard)
{
  XMLParser parser(*this);
  parser.loadFromText(text);
  auto tree = parser.instantiateTree(blackboard);
  tree.manifests = manifests_;
  return tree;
}

Tree BehaviorTreeFactory::createTreeFromFile(
  const std::string & file_path, Blackboard::Ptr blackboard)
{
  XMLParser parser(*this);
  parser.loadFromFile(file_path);
  auto tree = parser.instantiateTree(blackboard);
  tree.manifests = manifests_;
  return tree;
}

Tree BehaviorTreeFactory::createTree(const std::string & tree_name, Blackboard::Ptr blackboard)
{
  auto tree = parser_->instantiateTree(blackboard, tree_name);
  tree.manifests = manifests_;
  return tree;
}

Tree::Tree(Tree && other) noexcept
: nodes(std::move(other.nodes)),
  blackboard_stack(std::move(other.blackboard_stack)),
  manifests(std::move(other.manifests)),
  wake_up_(std::move(other.wake_up_))
{
}

Tree & Tree::operator=(Tree && other)
{
  if (this != &other) {
    haltTree();
    nodes = std::move(other.nodes);
    other.nodes.clear();  // the moved-from tree must not halt these nodes again
    blackboard_stack = std::move(other.blackboard_stack);
    manifests = std::move(other.manifests);
    wake_up_ = std::move(other.wake_up_);
  }
  return *this;
}

Tree::~Tree() { haltTree(); }

void Tree::initialize()
{
  wake_up_ = std::make_shared<WakeUpSignal>();
  for (auto & node : nodes) {
    node->setWakeUpInstance(wake_up_);
  }
}

void Tree::haltTree()
{
  TreeNode * root = rootNode();
  if (root == nullptr) {
    return;
  }
  // A correct halt propagates down the tree; halting every node makes sure.
  // The nodes are not visited through their parents: a tree whose
  // construction failed half-way has decorators without a child.
  root->halt();
  root->setStatus(NodeStatus::IDLE);
  for (auto & node : nodes) {
    node->halt();
    node->setStatus(NodeStatus::IDLE);
  }
}

TreeNode * Tree::rootNode() const { return nodes.empty() ? nullptr : nodes.front().get(); }

NodeStatus Tree::tickRoot()
{
  if (!wake_up_) {
    initialize();
  }
  TreeNode * root = rootNode();
  if (root == nullptr) {
    throw RuntimeError("Empty Tree");
  }
  const NodeStatus status = root->executeTick();
  if (StatusCompleted(status)) {
    root->setStatus(NodeStatus::IDLE);
  }
  return status;
}

NodeStatus Tree::tickRootWhileRunning(std::chrono::milliseconds sleep_time)
{
  NodeStatus status = tickRoot();
  while (status == NodeStatus::RUNNING) {
    sleep(sleep_time);
    status = tickRoot();
  }
  return status;
}

void Tree::sleep(std::chrono::system_clock::duration timeout)
{
  if (!wake_up_) {
    initialize();
  }
  wake_up_->waitFor(std::chrono::duration_cast<std::chrono::microseconds>(timeout));
}

Blackboard::Ptr Tree::rootBlackboard()
{
  return blackboard_stack.empty() ? nullptr : blackboard_stack.front();
}

}  // namespace BT

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "behaviortree_cpp_v3/bt_factory.h"
#include "behaviortree_cpp_v3/loggers/abstract_logger.h"

namespace
{
using BT::NodeStatus;
using ::testing::HasSubstr;

template <typename Function>
std::string errorOf(Function function)
{
  try {
    function();
  } catch (const std::exception & error) {
    return error.what();
  }
  return "no error";
}

class FactoryTest : public ::testing::Test
{
protected:
  FactoryTest() { factory.registerFromPlugin(TEST_PLUGIN_PATH); }

  BT::BehaviorTreeFactory factory;
  BT::Blackboard::Ptr blackboard = BT::Blackboard::create();
};

TEST_F(FactoryTest, BuildsAndTicksATreeOfPluginNodes)
{
  const char * xml = R"(
    <root main_tree_to_execute="Main">
      <BehaviorTree ID="Main">
        <Sequence>
          <IsAbove value="{speed}" threshold="0.5"/>
          <RunFor ticks="2" completed="{runs}"/>
          <CopyValue from="{speed}" to="{copied}"/>
        </Sequence>
      </BehaviorTree>
    </root>)";
  auto tree = factory.createTreeFromText(xml, blackboard);
  EXPECT_EQ(tree.rootBlackboard(), blackboard);
  EXPECT_EQ(tree.nodes.size(), 4u);
  EXPECT_EQ(tree.rootNode()->registrationName(), "Sequence");

  blackboard->set("speed", 0.75);
  EXPECT_EQ(tree.tickRoot(), NodeStatus::RUNNING);
  EXPECT_EQ(tree.tickRoot(), NodeStatus::RUNNING);
  EXPECT_EQ(tree.tickRoot(), NodeStatus::SUCCESS);
  EXPECT_EQ(blackboard->get<int>("runs"), 1);
  EXPECT_EQ(blackboard->get<double>("copied"), 0.75);
  EXPECT_EQ(tree.rootNode()->status(), NodeStatus::IDLE);

  blackboard->set("speed", 0.25);
  EXPECT_EQ(tree.tickRoot(), NodeStatus::FAILURE);
}

TEST_F(FactoryTest, PortsDeclaredInTheXmlFixTheTypeOfTheirEntries)
{
  auto tree = factory.createTreeFromText(
    R"(
    <root><BehaviorTree><IsAbove value="{speed}"/></BehaviorTree></root>)",
    blackboard);
  EXPECT_THROW(blackboard->set("speed", 1), BT::LogicError);
  blackboard->set("speed", std::string("2.5"));
  EXPECT_EQ(blackboard->get<double>("speed"), 2.5);
  EXPECT_EQ(tree.tickRoot(), NodeStatus::SUCCESS) << "the default threshold 0 applies";

  EXPECT_EQ(
    errorOf([&] {
      factory.createTreeFromText(R"(
      <root><BehaviorTree><Sequence>
        <IsAbove value="{count}"/>
        <RunFor ticks="{count}"/>
      </Sequence></BehaviorTree></root>)");
    }),
    "The creation of the tree failed because the port [count] was initially created with type "
    "[double] and, "
    "later type [int] was used somewhere else.");
}

TEST_F(FactoryTest, ErrorsSayWhatIsWrongAndWhere)
{
  EXPECT_EQ(
    errorOf([&] {
      factory.createTreeFromText(
        "<root>\n<BehaviorTree>\n<Sequence>\n<Fly/>\n</Sequence>\n"
        "</BehaviorTree>\n</root>");
    }),
    "Error at line 4: -> Node not recognized: Fly");
  EXPECT_THAT(
    errorOf([&] {
      factory.createTreeFromText("<root>\n<BehaviorTree>\n<Sequence>\n</BehaviorTree>\n</root>");
    }),
    ::testing::AllOf(HasSubstr("Error parsing the XML"), HasSubstr("Line number=3")));
  EXPECT_EQ(
    errorOf([&] {
      factory.createTreeFromText(
        R"(<root><BehaviorTree><IsAbove valeu="1"/></BehaviorTree></root>)");
    }),
    "Possible typo? In the XML, you tried to remap port \"valeu\" in node [IsAbove / IsAbove], but "
    "the "
    "manifest of this node does not contain a port with this name.");
  EXPECT_EQ(
    errorOf([&] { factory.createTreeFromText("<tree/>"); }),
    "The XML must have a root node called <root>");
  EXPECT_EQ(
    errorOf([&] {
      factory.createTreeFromText(R"(<root><BehaviorTree ID="A"><AlwaysSuccess/></BehaviorTree>
                                                  <BehaviorTree ID="B"><AlwaysSuccess/></BehaviorTree></root>)");
    }),
    "[main_tree_to_execute] was not specified correctly");
  EXPECT_EQ(
    errorOf([&] {
      factory.createTreeFromText("<root>\n<BehaviorTree>\n<Inverter/>\n</BehaviorTree>\n</root>");
    }),
    "Error at line 3: -> The node <Inverter> must have exactly 1 child");
  EXPECT_EQ(
    errorOf([&] {
      factory.createTreeFromText(
        R"(<root><BehaviorTree><SubTree ID="Missing"/></BehaviorTree></root>)");
    }),
    "Can't find a tree with name: Missing");
  EXPECT_EQ(
    errorOf([&] {
      factory.createTreeFromText(R"(<root main_tree_to_execute="Loop">
                <BehaviorTree ID="Loop"><SubTree ID="Loop"/></BehaviorTree></root>)");
    }),
    "The tree [Loop] includes itself as a SubTree");
  EXPECT_THAT(
    errorOf([&] { factory.createTreeFromFile("/nonexistent/tree.xml"); }),
    ::testing::AllOf(HasSubstr("Error parsing the XML"), HasSubstr("/nonexistent/tree.xml")));
  EXPECT_THAT(
    errorOf([&] { factory.createTreeFromFile(TEST_TREES_DIR "/cycles/self.xml"); }),
    ::testing::MatchesRegex("Error at line 2: -> The <include> makes a cycle of files: "
                            "/.*/cycles/self\\.xml -> /.*/cycles/self\\.xml"));
  // The chain is named from the file met twice, whichever file was loaded first.
  const std::string ping_pong =
    "Error at line 2: -> The <include> makes a cycle of files: "
    "/.*/cycles/ping\\.xml -> /.*/cycles/pong\\.xml -> /.*/cycles/ping\\.xml";
  EXPECT_THAT(
    errorOf([&] { factory.createTreeFromFile(TEST_TREES_DIR "/cycles/ping.xml"); }),
    ::testing::MatchesRegex(ping_pong));
  EXPECT_THAT(
    errorOf([&] {
      factory.createTreeFromText(
        R"(<root main_tree_to_execute="Ping"><include path=")" TEST_TREES_DIR
        R"(/cycles/ping.xml"/></root>)");
    }),
    ::testing::MatchesRegex(ping_pong));
  // A file included twice side by side is no cycle.
  EXPECT_EQ(
    "no error", errorOf([&] { factory.createTreeFromFile(TEST_TREES_DIR "/cycles/twice.xml"); }));
}

TEST_F(FactoryTest, PluginLibrariesThatCannotBeUsedAreNamed)
{
  EXPECT_THAT(
    errorOf([&] { factory.registerFromPlugin("/nonexistent/libplugin.so"); }),
    ::testing::StartsWith("Could not load library [/nonexistent/libplugin.so]: "));
  EXPECT_EQ(
    errorOf([&] { factory.registerFromPlugin(TEST_LIBRARY_WITHOUT_PLUGIN); }),
    std::string("ERROR loading library [") + TEST_LIBRARY_WITHOUT_PLUGIN +
      "]: can't find symbol [BT_RegisterNodesFromPlugin]");
  EXPECT_EQ(
    errorOf([&] { factory.registerFromPlugin(TEST_PLUGIN_PATH); }),
    "ID [RunFor] already registered");
}

TEST_F(FactoryTest, IsolatedSubTreeSeesOnlyItsRemappedKeys)
{
  auto tree = factory.createTreeFromFile(TEST_TREES_DIR "/patrol.xml", blackboard);
  ASSERT_EQ(tree.blackboard_stack.size(), 2u);
  blackboard->set("patrol_speed", 1.0);
  EXPECT_EQ(tree.tickRoot(), NodeStatus::RUNNING);
  EXPECT_EQ(tree.tickRoot(), NodeStatus::SUCCESS);
  EXPECT_EQ(blackboard->get<int>("arrivals"), 1);
  EXPECT_EQ(blackboard->get<std::string>("threshold"), "0.5");

  double value = 0;
  EXPECT_FALSE(tree.blackboard_stack[1]->get("threshold", value))
    << "not remapped into the subtree";
  EXPECT_EQ(tree.blackboard_stack[1]->get<double>("speed"), 1.0);
}

TEST_F(FactoryTest, SharedBlackboardAndSubTreePlus)
{
  const char * xml = R"(
    <root main_tree_to_execute="Main">
      <BehaviorTree ID="Main">
        <Sequence>
          <SubTree ID="Writer" __shared_blackboard="true"/>
          <SubTreePlus ID="Reader" limit="{threshold}" __autoremap="true" label="fixed"/>
        </Sequence>
      </BehaviorTree>
      <BehaviorTree ID="Writer">
        <CopyValue from="3.5" to="{value}"/>
      </BehaviorTree>
      <BehaviorTree ID="Reader">
        <Sequence>
          <IsAbove value="{value}" threshold="{limit}"/>
          <SetBlackboard output_key="seen_label" value="{label}"/>
        </Sequence>
      </BehaviorTree>
    </root>)";
  auto tree = factory.createTreeFromText(xml, blackboard);
  blackboard->set("threshold", 3.0);
  EXPECT_EQ(tree.tickRoot(), NodeStatus::SUCCESS);
  EXPECT_EQ(blackboard->get<double>("value"), 3.5);
  EXPECT_EQ(blackboard->get<std::string>("seen_label"), "fixed");
  EXPECT_EQ(tree.blackboard_stack.size(), 2u) << "the shared subtree adds no blackboard";

  blackboard->set("threshold", 4.0);
  EXPECT_EQ(tree.tickRoot(), NodeStatus::FAILURE);
}

struct Pose
{
  double x;
  double y;
};

TEST_F(FactoryTest, SetBlackboardCopiesAnEntryWithItsType)
{
  auto tree = factory.createTreeFromText(
    R"(
    <root><BehaviorTree><Sequence>
      <SetBlackboard output_key="count_copy" value="{count}"/>
      <SetBlackboard output_key="pose_copy" value="{pose}"/>
      <SetBlackboard output_key="text" value="42"/>
    </Sequence></BehaviorTree></root>)",
    blackboard);
  blackboard->set("count", 7);
  blackboard->set("pose", Pose{1.5, -2.0});
  EXPECT_EQ(tree.tickRoot(), NodeStatus::SUCCESS);
  EXPECT_EQ(blackboard->get<int>("count_copy"), 7);
  ASSERT_NE(blackboard->portInfo("count_copy"), nullptr);
  ASSERT_NE(blackboard->portInfo("count_copy")->type(), nullptr);
  EXPECT_EQ(*blackboard->portInfo("count_copy")->type(), typeid(int));
  EXPECT_EQ(blackboard->get<Pose>("pose_copy").x, 1.5);
  EXPECT_EQ(blackboard->get<Pose>("pose_copy").y, -2.0);
  EXPECT_EQ(blackboard->getAny("text")->type(), typeid(std::string)) << "a constant stays text";

  blackboard->set("count", 8);
  EXPECT_EQ(tree.tickRoot(), NodeStatus::SUCCESS);
  EXPECT_EQ(blackboard->get<int>("count_copy"), 8);

  auto missing = factory.createTreeFromText(
    R"(
    <root><BehaviorTree><SetBlackboard output_key="out" value="{nowhere}"/></BehaviorTree></root>)",
    blackboard);
  EXPECT_THAT(errorOf([&] { missing.tickRoot(); }), HasSubstr("[nowhere]"));

  blackboard->set("level", 3);
  auto clash = factory.createTreeFromText(
    R"(
    <root><BehaviorTree><SetBlackboard output_key="level" value="{pose}"/></BehaviorTree></root>)",
    blackboard);
  EXPECT_THROW(clash.tickRoot(), BT::LogicError);
  EXPECT_EQ(blackboard->get<int>("level"), 3) << "a refused copy leaves the entry as it was";
}

TEST_F(FactoryTest, RegisteredTreesAreBuiltByName)
{
  factory.registerBehaviorTreeFromText(R"(
    <root>
      <BehaviorTree ID="Succeed"><AlwaysSuccess/></BehaviorTree>
      <BehaviorTree ID="Fail"><AlwaysFailure/></BehaviorTree>
    </root>)");
  EXPECT_THAT(
    factory.registeredBehaviorTrees(), ::testing::UnorderedElementsAre("Succeed", "Fail"));
  EXPECT_EQ(factory.createTree("Fail").tickRoot(), NodeStatus::FAILURE);
  EXPECT_EQ(factory.createTree("Succeed").tickRoot(), NodeStatus::SUCCESS);
  factory.clearRegisteredBehaviorTrees();
  EXPECT_TRUE(factory.registeredBehaviorTrees().empty());
}

TEST_F(FactoryTest, HaltingOrDestroyingATreeHaltsItsRunningActions)
{
  const char * xml =
    R"(<root><BehaviorTree><RunFor ticks="5" halted="{halted}"/></BehaviorTree></root>)";
  {
    auto tree = factory.createTreeFromText(xml, blackboard);
    EXPECT_EQ(tree.tickRoot(), NodeStatus::RUNNING);
    tree.haltTree();
    EXPECT_EQ(blackboard->get<int>("halted"), 1);
    EXPECT_EQ(tree.rootNode()->status(), NodeStatus::IDLE);
    EXPECT_EQ(tree.tickRoot(), NodeStatus::RUNNING);
  }
  EXPECT_EQ(blackboard->get<int>("halted"), 2) << "the destructor halts";

  auto first = factory.createTreeFromText(xml, blackboard);
  EXPECT_EQ(first.tickRoot(), NodeStatus::RUNNING);
  first = factory.createTreeFromText(xml, blackboard);
  EXPECT_EQ(blackboard->get<int>("halted"), 1) << "the replaced tree was halted (its own count)";

  BT::Tree empty;
  EXPECT_EQ(empty.rootNode(), nullptr);
  EXPECT_EQ(empty.rootBlackboard(), nullptr);
  EXPECT_EQ(errorOf([&] { empty.tickRoot(); }), "Empty Tree");
}

TEST_F(FactoryTest, SimpleNodesAndRegistrationRules)
{
  int calls = 0;
  factory.registerSimpleAction("Count", [&calls](BT::TreeNode &) {
    ++calls;
    return NodeStatus::SUCCESS;
  });
  factory.registerSimpleCondition(
    "HasFlag",
    [](BT::TreeNode & node) {
      return node.getInput<bool>("flag").value() ? NodeStatus::SUCCESS : NodeStatus::FAILURE;
    },
    {BT::InputPort<bool>("flag")});
  auto tree = factory.createTreeFromText(R"(
    <root><BehaviorTree><Sequence><HasFlag flag="true"/><Count/></Sequence></BehaviorTree></root>)");
  EXPECT_EQ(tree.tickRoot(), NodeStatus::SUCCESS);
  EXPECT_EQ(calls, 1);

  EXPECT_EQ(
    errorOf([&] {
      factory.registerSimpleAction("Count", [](BT::TreeNode &) { return NodeStatus::SUCCESS; });
    }),
    "ID [Count] already registered");
  EXPECT_TRUE(factory.unregisterBuilder("Count"));
  EXPECT_FALSE(factory.unregisterBuilder("Count"));
  EXPECT_EQ(
    errorOf([&] { factory.unregisterBuilder("Sequence"); }),
    "You can not remove the builtin registration ID [Sequence]");
  EXPECT_EQ(factory.builtinNodes().count("Timeout"), 1u);
  EXPECT_EQ(factory.manifests().at("RunFor").type, BT::NodeType::ACTION);
  EXPECT_EQ(
    errorOf([&] { factory.instantiateTreeNode("x", "Nothing", {}); }),
    "BehaviorTreeFactory: ID [Nothing] not registered");
}

TEST_F(FactoryTest, BuiltInDecoratorsReadTheirPorts)
{
  auto tree = factory.createTreeFromText(R"(
    <root><BehaviorTree>
      <Sequence>
        <RetryUntilSuccessful num_attempts="3"><Inverter><AlwaysSuccess/></Inverter></RetryUntilSuccessful>
      </Sequence>
    </BehaviorTree></root>)");
  EXPECT_EQ(tree.tickRoot(), NodeStatus::FAILURE);

  auto missing = factory.createTreeFromText(R"(
    <root><BehaviorTree><Repeat><AlwaysSuccess/></Repeat></BehaviorTree></root>)");
  EXPECT_EQ(errorOf([&] { missing.tickRoot(); }), "Missing parameter [num_cycles] in RepeatNode");

  auto timed = factory.createTreeFromText(R"(
    <root><BehaviorTree><Timeout msec="60000"><RunFor ticks="1"/></Timeout></BehaviorTree></root>)");
  EXPECT_EQ(timed.tickRoot(), NodeStatus::RUNNING);
  EXPECT_EQ(timed.tickRoot(), NodeStatus::SUCCESS);

  auto parallel = factory.createTreeFromText(R"(
    <root><BehaviorTree><Parallel success_threshold="2">
      <RunFor ticks="1"/><RunFor ticks="2"/><RunFor ticks="9"/>
    </Parallel></BehaviorTree></root>)");
  EXPECT_EQ(parallel.tickRoot(), NodeStatus::RUNNING);
  EXPECT_EQ(parallel.tickRoot(), NodeStatus::RUNNING);
  EXPECT_EQ(parallel.tickRoot(), NodeStatus::SUCCESS);
}

TEST_F(FactoryTest, ANodeCanCutTheSleepOfItsTreeShort)
{
  auto tree =
    factory.createTreeFromText("<root><BehaviorTree><RunFor ticks=\"3\"/></BehaviorTree></root>");
  EXPECT_EQ(tree.tickRoot(), NodeStatus::RUNNING);
  std::thread waker([&tree] { tree.rootNode()->emitStateChanged(); });
  const auto start = std::chrono::steady_clock::now();
  tree.sleep(std::chrono::seconds(60));
  waker.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  EXPECT_EQ(tree.tickRootWhileRunning(std::chrono::milliseconds(1)), NodeStatus::SUCCESS);
}

class TransitionCounter : public BT::StatusChangeLogger
{
public:
  using BT::StatusChangeLogger::StatusChangeLogger;

  void callback(BT::Duration, const BT::TreeNode & node, NodeStatus, NodeStatus status) override
  {
    transitions.push_back(node.name() + ":" + BT::toStr(status));
  }

  void flush() override {}

  std::vector<std::string> transitions;
};

TEST_F(FactoryTest, StatusChangeLoggerSeesEveryTransition)
{
  auto tree = factory.createTreeFromText(R"(
    <root><BehaviorTree><Sequence name="main"><AlwaysSuccess name="step"/></Sequence></BehaviorTree></root>)");
  TransitionCounter logger(tree.rootNode());
  logger.enableTransitionToIdle(false);
  tree.tickRoot();
  EXPECT_THAT(
    logger.transitions, ::testing::ElementsAre("main:RUNNING", "step:SUCCESS", "main:SUCCESS"));
}

}  // namespace

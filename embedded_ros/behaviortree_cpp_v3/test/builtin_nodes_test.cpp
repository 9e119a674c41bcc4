#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "behaviortree_cpp_v3/bt_factory.h"
#include "behaviortree_cpp_v3/loggers/bt_cout_logger.h"
#include "behaviortree_cpp_v3/xml_parsing.h"
#include "test_nodes.hpp"

namespace
{
using BT::NodeStatus;
using bt_test::ScriptedAction;
using ::testing::HasSubstr;

/// The text of the Error that ticking the tree throws; another exception fails the test.
template <typename Error>
std::string tickError(BT::Tree & tree)
{
  try {
    tree.tickRoot();
  } catch (const Error & error) {
    return error.what();
  }
  return "no error";
}

TEST(BuiltinNodesTest, FactoryRegistersTheV3Names)
{
  BT::BehaviorTreeFactory factory;
  const std::vector<std::pair<std::string, BT::NodeType>> expected{
    {"IfThenElse", BT::NodeType::CONTROL},
    {"WhileDoElse", BT::NodeType::CONTROL},
    {"Switch2", BT::NodeType::CONTROL},
    {"Switch3", BT::NodeType::CONTROL},
    {"Switch4", BT::NodeType::CONTROL},
    {"Switch5", BT::NodeType::CONTROL},
    {"Switch6", BT::NodeType::CONTROL},
    {"Delay", BT::NodeType::DECORATOR},
    {"BlackboardCheckInt", BT::NodeType::DECORATOR},
    {"BlackboardCheckDouble", BT::NodeType::DECORATOR},
    {"BlackboardCheckString", BT::NodeType::DECORATOR},
    {"BlackboardCheckBool", BT::NodeType::DECORATOR}};
  for (const auto & [id, type] : expected) {
    SCOPED_TRACE(id);
    EXPECT_EQ(factory.builtinNodes().count(id), 1u);
    ASSERT_EQ(factory.manifests().count(id), 1u);
    EXPECT_EQ(factory.manifests().at(id).type, type);
  }
  EXPECT_EQ(factory.manifests().at("Switch4").ports.count("case_4"), 1u);
  EXPECT_EQ(factory.manifests().at("Switch4").ports.count("case_5"), 0u);
}

TEST(BuiltinNodesTest, ControlsRefuseAWrongNumberOfChildren)
{
  struct Case
  {
    const char * xml;
    const char * error;
  };
  const std::vector<Case> cases{
    {"<IfThenElse><AlwaysSuccess/></IfThenElse>", "must have either 2 or 3 children"},
    {"<WhileDoElse><AlwaysSuccess/><AlwaysSuccess/></WhileDoElse>", "must have 3 children"},
    {"<Switch2 variable=\"a\" case_1=\"a\" case_2=\"b\"><AlwaysSuccess/><AlwaysSuccess/></Switch2>",
     "Wrong number of children in SwitchNode"}};
  BT::BehaviorTreeFactory factory;
  for (const Case & c : cases) {
    SCOPED_TRACE(c.xml);
    auto tree = factory.createTreeFromText(
      std::string("<root><BehaviorTree>") + c.xml + "</BehaviorTree></root>");
    EXPECT_THAT(tickError<BT::LogicError>(tree), HasSubstr(c.error));
  }
}

/// An action that answers its `result` and writes each tick ("name") and halt ("halt name") to a
/// trace shared with its siblings, so that a test sees the order of ticks and halts.
class TracedAction : public BT::ActionNodeBase
{
public:
  TracedAction(const std::string & name, std::vector<std::string> & trace)
  : BT::ActionNodeBase(name, {}), trace_(trace)
  {
  }

  void halt() override
  {
    trace_.push_back("halt " + name());
    setStatus(NodeStatus::IDLE);
  }

  NodeStatus result = NodeStatus::SUCCESS;

private:
  NodeStatus tick() override
  {
    trace_.push_back(name());
    return result;
  }

  std::vector<std::string> & trace_;
};

/// One step of a control's script: set the children's results (and the blackboard's "mode"), then
/// tick the control, or halt it, and compare what it answered and what its children saw.
struct ControlStep
{
  std::string note;
  std::map<std::string, NodeStatus> results;
  std::optional<std::string> mode;
  bool halt;
  NodeStatus expected;
  std::vector<std::string> trace;
};

ControlStep tickStep(
  std::string note, std::map<std::string, NodeStatus> results, NodeStatus expected,
  std::vector<std::string> trace, std::optional<std::string> mode = std::nullopt)
{
  return {std::move(note), std::move(results), std::move(mode), false, expected, std::move(trace)};
}

ControlStep haltStep(std::string note, std::vector<std::string> trace)
{
  return {std::move(note), {}, std::nullopt, true, NodeStatus::IDLE, std::move(trace)};
}

struct ControlScript
{
  const char * name;
  std::function<std::unique_ptr<BT::ControlNode>(const BT::Blackboard::Ptr &)> make;
  std::vector<std::string> children;
  std::vector<ControlStep> steps;
  /// Whether a tick that ends the control leaves every child idle, ready for the next run.
  bool completion_resets_children = true;
};

TEST(BuiltinControlsTest, ChooseTickAndHaltTheirChildrenInOrder)
{
  constexpr auto kSuccess = NodeStatus::SUCCESS;
  constexpr auto kFailure = NodeStatus::FAILURE;
  constexpr auto kRunning = NodeStatus::RUNNING;
  const auto if_then_else = [](const BT::Blackboard::Ptr &) {
    return std::make_unique<BT::IfThenElseNode>("if");
  };
  const auto while_do_else = [](const BT::Blackboard::Ptr &) {
    return std::make_unique<BT::WhileDoElseNode>("while");
  };
  const auto switch2 = [](const BT::Blackboard::Ptr & blackboard) {
    BT::NodeConfiguration config;
    config.blackboard = blackboard;
    config.input_ports = {{"variable", "{mode}"}, {"case_1", "dock"}, {"case_2", "{patrol_name}"}};
    return std::make_unique<BT::SwitchNode<2>>("switch", config);
  };

  const std::vector<ControlScript> scripts{
    {"IfThenElse",
     if_then_else,
     {"condition", "then", "else"},
     {tickStep(
        "a met condition picks then", {{"then", kRunning}, {"else", kFailure}}, kRunning,
        {"condition", "then"}),
      tickStep(
        "the running branch is ticked again, the condition is not asked", {{"condition", kFailure}},
        kRunning, {"then"}),
      tickStep("the branch ends the node", {{"then", kSuccess}}, kSuccess, {"then"}),
      tickStep("a failed condition picks else", {}, kFailure, {"condition", "else"}),
      tickStep(
        "the next run asks the condition again", {{"condition", kSuccess}, {"then", kRunning}},
        kRunning, {"condition", "then"}),
      haltStep("a halt stops the running branch", {"halt then"}),
      tickStep(
        "after a halt the condition is asked again", {{"condition", kFailure}}, kFailure,
        {"condition", "else"})}},
    {"IfThenElse without else",
     if_then_else,
     {"condition", "then"},
     {tickStep("a failed condition fails", {{"condition", kFailure}}, kFailure, {"condition"})},
     false},
    {"WhileDoElse",
     while_do_else,
     {"condition", "do", "else"},
     {tickStep(
        "a met condition runs do", {{"do", kRunning}, {"else", kRunning}}, kRunning,
        {"condition", "do"}),
      tickStep("the condition is asked on every tick", {}, kRunning, {"condition", "do"}),
      tickStep(
        "a failed condition halts do before else is ticked", {{"condition", kFailure}}, kRunning,
        {"condition", "halt do", "else"}),
      tickStep(
        "a running condition ticks neither branch", {{"condition", kRunning}}, kRunning,
        {"condition"}),
      tickStep(
        "a met condition halts else before do is ticked", {{"condition", kSuccess}}, kRunning,
        {"condition", "halt else", "do"}),
      tickStep(
        "a finished branch ends the node", {{"do", kSuccess}}, kSuccess, {"condition", "do"}),
      tickStep("do runs again", {{"do", kRunning}}, kRunning, {"condition", "do"}),
      haltStep("a halt stops the running branch, not the finished condition", {"halt do"})}},
    {"Switch2",
     switch2,
     {"dock", "patrol", "default"},
     {tickStep(
        "no variable: the default", {{"dock", kRunning}, {"patrol", kRunning}}, kSuccess,
        {"default"}),
      tickStep("a fixed case", {}, kRunning, {"dock"}, "dock"),
      tickStep("the running case is ticked again", {}, kRunning, {"dock"}, "dock"),
      tickStep(
        "a case read from the blackboard; the running case is halted first", {}, kRunning,
        {"halt dock", "patrol"}, "patrol"),
      tickStep(
        "a value of no case falls through to the default", {}, kSuccess, {"halt patrol", "default"},
        "other"),
      tickStep("patrol runs again", {}, kRunning, {"patrol"}, "patrol"),
      haltStep("a halt stops the running case", {"halt patrol"}),
      tickStep("after a halt the chosen case starts afresh", {}, kRunning, {"dock"}, "dock")}},
  };

  for (const ControlScript & script : scripts) {
    SCOPED_TRACE(script.name);
    auto blackboard = BT::Blackboard::create();
    blackboard->set("patrol_name", std::string("patrol"));
    std::vector<std::string> trace;
    std::map<std::string, std::unique_ptr<TracedAction>> children;
    const auto node = script.make(blackboard);
    for (const auto & name : script.children) {
      children[name] = std::make_unique<TracedAction>(name, trace);
      node->addChild(children[name].get());
    }
    const auto childrenIdle = [&children] {
      return std::all_of(children.begin(), children.end(), [](const auto & child) {
        return child.second->status() == NodeStatus::IDLE;
      });
    };
    for (const ControlStep & step : script.steps) {
      SCOPED_TRACE(step.note);
      for (const auto & [name, result] : step.results) {
        children.at(name)->result = result;
      }
      if (step.mode) {
        blackboard->set("mode", *step.mode);
      }
      trace.clear();
      if (step.halt) {
        node->halt();
        EXPECT_EQ(node->status(), NodeStatus::IDLE);
        EXPECT_TRUE(childrenIdle());
      } else {
        EXPECT_EQ(node->executeTick(), step.expected);
        if (step.expected != NodeStatus::RUNNING && script.completion_resets_children) {
          EXPECT_TRUE(childrenIdle());
        }
      }
      EXPECT_EQ(trace, step.trace);
    }
  }
}

TEST(BlackboardCheckTest, TicksTheChildOnlyWhileTheValuesMatch)
{
  struct Case
  {
    const char * node;
    const char * stored;
    const char * compared;
    const char * mismatch;
    NodeStatus expected;
  };
  const std::vector<Case> cases{
    {"BlackboardCheckInt", "3", "3", "", NodeStatus::SUCCESS},
    {"BlackboardCheckInt", "4", "3", "", NodeStatus::FAILURE},
    {"BlackboardCheckInt", "4", "3", "SUCCESS", NodeStatus::SUCCESS},
    {"BlackboardCheckInt", "x", "3", "RUNNING", NodeStatus::RUNNING},
    {"BlackboardCheckDouble", "2.5", "2.50", "", NodeStatus::SUCCESS},
    {"BlackboardCheckDouble", "2.5", "2.6", "", NodeStatus::FAILURE},
    {"BlackboardCheckString", "dock", "dock", "", NodeStatus::SUCCESS},
    {"BlackboardCheckString", "dock", "Dock", "", NodeStatus::FAILURE},
    {"BlackboardCheckBool", "true", "1", "", NodeStatus::SUCCESS},
    {"BlackboardCheckBool", "false", "true", "", NodeStatus::FAILURE}};
  BT::BehaviorTreeFactory factory;
  for (const Case & c : cases) {
    SCOPED_TRACE(std::string(c.node) + " " + c.stored + " " + c.compared + " " + c.mismatch);
    std::string attributes = std::string("value_A=\"{stored}\" value_B=\"") + c.compared + "\"";
    if (*c.mismatch != '\0') {
      attributes += std::string(" return_on_mismatch=\"") + c.mismatch + "\"";
    }
    auto blackboard = BT::Blackboard::create();
    blackboard->set("stored", std::string(c.stored));
    auto tree = factory.createTreeFromText(
      std::string("<root><BehaviorTree><") + c.node + " " + attributes + "><AlwaysSuccess/></" +
        c.node + "></BehaviorTree></root>",
      blackboard);
    EXPECT_EQ(tree.tickRoot(), c.expected);
  }
}

TEST(BlackboardCheckTest, AMismatchHaltsARunningChild)
{
  auto blackboard = BT::Blackboard::create();
  BT::NodeConfiguration config;
  config.blackboard = blackboard;
  config.input_ports = {{"value_A", "{level}"}, {"value_B", "2"}};
  BT::BlackboardPreconditionNode<int> node("check", config);
  ScriptedAction child("child", NodeStatus::RUNNING);
  node.setChild(&child);
  blackboard->set("level", 2);
  EXPECT_EQ(node.executeTick(), NodeStatus::RUNNING);
  blackboard->set("level", 1);
  EXPECT_EQ(node.executeTick(), NodeStatus::FAILURE);
  EXPECT_EQ(child.halt_count, 1);
  EXPECT_EQ(child.tick_count, 1);
}

TEST(DelayTest, TicksTheChildOnceTheDelayIsOverAndWakesTheTree)
{
  BT::BehaviorTreeFactory factory;
  auto tree = factory.createTreeFromText(
    R"(<root><BehaviorTree><Delay delay_msec="30"><AlwaysFailure/></Delay></BehaviorTree></root>)");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(tree.tickRoot(), NodeStatus::RUNNING);
  EXPECT_EQ(tree.tickRoot(), NodeStatus::RUNNING);
  tree.sleep(std::chrono::seconds(10));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(30));
  EXPECT_LT(waited, std::chrono::seconds(5)) << "the end of the delay cuts the sleep short";
  EXPECT_EQ(tree.tickRoot(), NodeStatus::FAILURE);
  EXPECT_EQ(tree.tickRoot(), NodeStatus::RUNNING) << "each run waits again";
  tree.haltTree();
}

TEST(DelayTest, MissingDelayIsNamed)
{
  BT::BehaviorTreeFactory factory;
  auto tree = factory.createTreeFromText(
    R"(<root><BehaviorTree><Delay><AlwaysSuccess/></Delay></BehaviorTree></root>)");
  EXPECT_EQ(tickError<BT::RuntimeError>(tree), "Missing parameter [delay_msec] in DelayNode");
}

/// Runs until the test lets it finish or it is halted; may throw instead.
class Worker : public BT::AsyncActionNode
{
public:
  Worker() : BT::AsyncActionNode("worker", {}) {}
  Worker(const std::string & name, const BT::NodeConfiguration & config)
  : BT::AsyncActionNode(name, config)
  {
  }
  static BT::PortsList providedPorts() { return {}; }
  ~Worker() override { halt(); }

  void finish(NodeStatus result)
  {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      result_ = result;
    }
    changed_.notify_all();
  }

  void halt() override
  {
    changed_.notify_all();
    BT::AsyncActionNode::halt();
  }

  /// What the parent of a completed node does.
  void reset() { setStatus(NodeStatus::IDLE); }

  std::atomic<bool> throws{false};

private:
  NodeStatus tick() override
  {
    if (throws) {
      throw std::runtime_error("worker failed");
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return result_ != NodeStatus::IDLE || isHaltRequested(); });
    const NodeStatus result = isHaltRequested() ? NodeStatus::IDLE : result_;
    result_ = NodeStatus::IDLE;
    return result;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  NodeStatus result_ = NodeStatus::IDLE;
};

NodeStatus waitForCompletion(BT::TreeNode & node)
{
  std::mutex mutex;
  std::condition_variable changed;
  auto subscription = node.subscribeToStatusChange(
    [&](BT::TimePoint, const BT::TreeNode &, NodeStatus, NodeStatus) { changed.notify_all(); });
  std::unique_lock<std::mutex> lock(mutex);
  changed.wait_for(
    lock, std::chrono::seconds(5), [&] { return BT::StatusCompleted(node.status()); });
  return node.status();
}

TEST(AsyncActionTest, RunsTickOnItsOwnThreadAndHaltWaitsForIt)
{
  Worker worker;
  EXPECT_EQ(worker.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(worker.executeTick(), NodeStatus::RUNNING);
  worker.finish(NodeStatus::SUCCESS);
  EXPECT_EQ(waitForCompletion(worker), NodeStatus::SUCCESS);
  EXPECT_EQ(worker.executeTick(), NodeStatus::SUCCESS) << "a completed run is not restarted";

  worker.reset();
  EXPECT_EQ(worker.executeTick(), NodeStatus::RUNNING);
  EXPECT_FALSE(worker.isHaltRequested());
  static_cast<BT::TreeNode &>(worker).halt();
  EXPECT_TRUE(worker.isHaltRequested());
  EXPECT_EQ(worker.status(), NodeStatus::IDLE) << "halt returns once tick() has";
}

TEST(AsyncActionTest, AnExceptionFromTickIsRethrownByTheNextTick)
{
  BT::BehaviorTreeFactory factory;
  factory.registerNodeType<Worker>("Worker");
  auto tree = factory.createTreeFromText(R"(<root><BehaviorTree><Worker/></BehaviorTree></root>)");
  auto & worker = dynamic_cast<Worker &>(*tree.rootNode());
  worker.throws = true;
  EXPECT_EQ(tree.tickRoot(), NodeStatus::RUNNING);
  // The end of tick() wakes the tree, as a completed run does.
  tree.sleep(std::chrono::seconds(10));
  EXPECT_EQ(worker.status(), NodeStatus::RUNNING) << "a parent never sees IDLE";
  EXPECT_EQ(tickError<std::runtime_error>(tree), "worker failed");
  EXPECT_EQ(worker.status(), NodeStatus::IDLE);
  worker.throws = false;
  EXPECT_EQ(tree.tickRoot(), NodeStatus::RUNNING) << "the node can run again";
  worker.finish(NodeStatus::SUCCESS);
  tree.sleep(std::chrono::seconds(10));
  EXPECT_EQ(tree.tickRoot(), NodeStatus::SUCCESS);
}

TEST(StdCoutLoggerTest, PrintsEveryTransitionAndAllowsOneInstance)
{
  BT::BehaviorTreeFactory factory;
  auto tree = factory.createTreeFromText(
    R"(<root><BehaviorTree><Sequence name="main"><AlwaysSuccess name="ok"/></Sequence></BehaviorTree></root>)");
  {
    BT::StdCoutLogger logger(tree);
    EXPECT_THROW(BT::StdCoutLogger second(tree), BT::LogicError);
    ::testing::internal::CaptureStdout();
    tree.tickRoot();
    const std::string output = ::testing::internal::GetCapturedStdout();
    const std::string padded_ok = "ok" + std::string(23, ' ') + " ";
    EXPECT_THAT(output, HasSubstr("]: main" + std::string(21, ' ') + " "));
    EXPECT_THAT(
      output, HasSubstr(
                "]: " + padded_ok + BT::toStr(NodeStatus::IDLE, true) + " -> " +
                BT::toStr(NodeStatus::SUCCESS, true) + "\n"));
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 5) << output;
  }
  EXPECT_NO_THROW(BT::StdCoutLogger again(tree)) << "the instance is free once destroyed";
}

class Approach : public BT::SyncActionNode
{
public:
  Approach(const std::string & name, const BT::NodeConfiguration & config)
  : BT::SyncActionNode(name, config)
  {
  }

  static BT::PortsList providedPorts()
  {
    return {
      BT::InputPort<int>("speed", 3, "how fast"), BT::OutputPort<double>("distance"),
      BT::BidirectionalPort("note")};
  }

private:
  NodeStatus tick() override { return NodeStatus::SUCCESS; }
};

TEST(TreeNodesModelTest, ListsRegisteredTypesWithTheirPorts)
{
  BT::BehaviorTreeFactory factory;
  factory.registerNodeType<Approach>("Approach");
  const std::string model = BT::writeTreeNodesModelXML(factory);
  EXPECT_EQ(
    model,
    "<root>\n"
    "    <TreeNodesModel>\n"
    "        <Action ID=\"Approach\">\n"
    "            <output_port name=\"distance\" type=\"double\"/>\n"
    "            <inout_port name=\"note\"/>\n"
    "            <input_port name=\"speed\" type=\"int\" default=\"3\">how fast</input_port>\n"
    "        </Action>\n"
    "    </TreeNodesModel>\n"
    "</root>\n");
  const std::string with_builtin = BT::writeTreeNodesModelXML(factory, true);
  EXPECT_THAT(with_builtin, HasSubstr("<Control ID=\"Switch2\">"));
  EXPECT_THAT(with_builtin, HasSubstr("<Decorator ID=\"Delay\">"));
}

}  // namespace

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "velmoran_behavior_tree/behavior_tree_engine.hpp"

namespace behavior_tree
{
void PrintTo(TaskState state, std::ostream * os)
{
  *os << "TaskState(" << static_cast<int>(state) << ")";
}
}  // namespace behavior_tree

namespace
{
using behavior_tree::BehaviorTreeEngine;
using behavior_tree::TaskState;
using namespace std::chrono_literals;

/// Answer of the tick callback in a given cycle (counted from 1).
using Script = std::function<TaskState(int cycle, bool & new_goal)>;

TaskState keepGoing(int, bool &) { return TaskState::CONTINUE; }

class EngineTest : public ::testing::Test
{
protected:
  BT::Tree workTree(const std::string & attributes = "")
  {
    return engine.createTreeFromText(
      "<root><BehaviorTree><Work started=\"{started}\" ticked=\"{ticked}\" halted=\"{halted}\" " +
        attributes + "/></BehaviorTree></root>",
      blackboard);
  }

  /// 0 until the tree wrote the entry.
  int count(const std::string & key) const
  {
    const BT::Any * value = blackboard->getAny(key);
    return value != nullptr && !value->empty() ? value->cast<int>() : 0;
  }

  /// cancel_at: the cycle whose cancel check answers true (0: never).
  TaskState run(
    BT::Tree & tree, Script script, int cancel_at = 0, std::chrono::milliseconds period = 1ms)
  {
    return engine.run(
      &tree, [&](bool & new_goal) { return script(++cycles, new_goal); },
      [&, cancel_at] { return ++cancel_checks == cancel_at; }, stop, emergency, period);
  }

  BehaviorTreeEngine engine{{ENGINE_TEST_NODES_PATH}};
  BT::Blackboard::Ptr blackboard = BT::Blackboard::create();
  std::shared_ptr<std::atomic<bool>> stop = std::make_shared<std::atomic<bool>>(false);
  std::shared_ptr<std::atomic<bool>> emergency = std::make_shared<std::atomic<bool>>(false);
  int cycles = 0;
  int cancel_checks = 0;
};

TEST_F(EngineTest, TheTreeOwnResultEndsTheRun)
{
  auto succeeding = workTree("ticks=\"3\"");
  EXPECT_EQ(run(succeeding, keepGoing), TaskState::SUCCEEDED);
  EXPECT_EQ(cycles, 3);
  EXPECT_EQ(count("ticked"), 3);

  cycles = 0;
  auto failing = workTree("ticks=\"2\" result=\"FAILURE\"");
  EXPECT_EQ(run(failing, keepGoing), TaskState::FAILED);
  EXPECT_EQ(cycles, 2);
}

struct TickAnswerCase
{
  TaskState answer;
  TaskState result;
};

class TickAnswerTest : public EngineTest, public ::testing::WithParamInterface<TickAnswerCase>
{
};

TEST_P(TickAnswerTest, EndsTheRunAndHaltsTheTree)
{
  auto tree = workTree();
  const TaskState answer = GetParam().answer;
  EXPECT_EQ(
    run(tree, [answer](int cycle, bool &) { return cycle < 3 ? TaskState::CONTINUE : answer; }),
    GetParam().result);
  EXPECT_EQ(count("ticked"), 2) << "the tree is not ticked in the last cycle";
  EXPECT_EQ(count("halted"), 1);
  EXPECT_EQ(tree.rootNode()->status(), BT::NodeStatus::IDLE);
}

INSTANTIATE_TEST_SUITE_P(
  Answers, TickAnswerTest,
  ::testing::Values(
    TickAnswerCase{TaskState::FAILED, TaskState::SUCCEEDED},
    TickAnswerCase{TaskState::COMPLETED, TaskState::SUCCEEDED},
    TickAnswerCase{TaskState::ABORTED, TaskState::FAILED},
    TickAnswerCase{TaskState::CANCELED, TaskState::CANCELED}));

TEST_F(EngineTest, ANewGoalRestartsTheTreeWithinTheSameRun)
{
  auto tree = workTree();
  const auto result = run(tree, [](int cycle, bool & new_goal) {
    switch (cycle) {
      case 2:
        return TaskState::SUCCEEDED;  // no new goal: nothing to restart
      case 3:
        new_goal = true;
        return TaskState::SUCCEEDED;
      case 5:
        return TaskState::COMPLETED;
      default:
        return TaskState::CONTINUE;
    }
  });
  EXPECT_EQ(result, TaskState::SUCCEEDED);
  EXPECT_EQ(count("started"), 2);
  EXPECT_EQ(count("ticked"), 4) << "the restarted tree is ticked in the cycle of the new goal";
  EXPECT_EQ(count("halted"), 2);
}

TEST_F(EngineTest, CancelEndsTheRunBeforeTheTickCallback)
{
  auto tree = workTree();
  EXPECT_EQ(run(tree, keepGoing, 3), TaskState::CANCELED);
  EXPECT_EQ(cycles, 2);
  EXPECT_EQ(count("ticked"), 2);
  EXPECT_EQ(count("halted"), 1);
}

TEST_F(EngineTest, StopFlagEndsTheRunAsASuccess)
{
  auto tree = workTree();
  const auto result = run(tree, [this](int cycle, bool &) {
    if (cycle == 2) {
      stop->store(true);
    }
    return TaskState::CONTINUE;
  });
  EXPECT_EQ(result, TaskState::SUCCEEDED);
  EXPECT_EQ(cycles, 2);
  EXPECT_EQ(count("halted"), 1);
  EXPECT_TRUE(stop->load()) << "the engine reads the flag, it does not clear it";
}

TEST_F(EngineTest, EmergencyStopHoldsTheTreeUntilItClears)
{
  auto tree = workTree();
  int ticked_during_hold = -1;
  const auto result = run(tree, [&](int cycle, bool &) {
    if (cycle == 2) {
      emergency->store(true);
    }
    if (cycle == 4) {
      ticked_during_hold = count("ticked");
    }
    if (cycle == 5) {
      emergency->store(false);
    }
    return cycle == 6 ? TaskState::COMPLETED : TaskState::CONTINUE;
  });
  EXPECT_EQ(result, TaskState::SUCCEEDED);
  EXPECT_EQ(ticked_during_hold, 1);
  EXPECT_EQ(cancel_checks, 6) << "cancel is checked during the hold";
  EXPECT_EQ(count("started"), 2) << "the tree starts afresh after the hold";
  EXPECT_EQ(count("ticked"), 2);
  EXPECT_EQ(count("halted"), 2);
}

TEST_F(EngineTest, NewGoalAndCancelAreServedDuringTheHold)
{
  auto tree = workTree();
  emergency->store(true);
  bool took_new_goal = false;
  const auto result = run(
    tree,
    [&](int cycle, bool & new_goal) {
      if (cycle == 2) {
        new_goal = took_new_goal = true;
        return TaskState::SUCCEEDED;
      }
      return TaskState::CONTINUE;
    },
    4);
  EXPECT_EQ(result, TaskState::CANCELED);
  EXPECT_TRUE(took_new_goal);
  EXPECT_EQ(cycles, 3);
  EXPECT_EQ(count("started"), 0) << "nothing is ticked during the hold";
}

double threadCpuSeconds()
{
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

TEST_F(EngineTest, CyclesFollowThePeriodWithoutBusyWaiting)
{
  auto tree = workTree();
  const int cycle_count = 21;
  const auto start = std::chrono::steady_clock::now();
  const double cpu_start = threadCpuSeconds();
  EXPECT_EQ(
    run(
      tree,
      [&](int cycle, bool &) {
        return cycle == cycle_count ? TaskState::COMPLETED : TaskState::CONTINUE;
      },
      0, 10ms),
    TaskState::SUCCEEDED);
  const double cpu_used = threadCpuSeconds() - cpu_start;
  const auto elapsed = std::chrono::steady_clock::now() - start;

  EXPECT_EQ(count("ticked"), cycle_count - 1);
  EXPECT_GE(elapsed, 200ms) << "20 periods of 10 ms lie between the first and the last cycle";
  EXPECT_LT(elapsed, 2s);
  EXPECT_LT(cpu_used, 0.2 * std::chrono::duration<double>(elapsed).count())
    << "the thread sleeps between cycles";
}

TEST_F(EngineTest, InvalidArgumentsAreRejected)
{
  auto tree = workTree();
  BT::Tree empty;
  auto tick = [](bool &) { return TaskState::CONTINUE; };
  auto cancel = [] { return false; };
  EXPECT_THROW(engine.run(nullptr, tick, cancel, stop, emergency, 10ms), std::invalid_argument);
  EXPECT_THROW(engine.run(&empty, tick, cancel, stop, emergency, 10ms), std::invalid_argument);
  EXPECT_THROW(engine.run(&tree, nullptr, cancel, stop, emergency, 10ms), std::invalid_argument);
  EXPECT_THROW(engine.run(&tree, tick, nullptr, stop, emergency, 10ms), std::invalid_argument);
  try {
    engine.run(&tree, tick, cancel, stop, emergency, 0ms);
    ADD_FAILURE() << "a zero period was accepted";
  } catch (const std::invalid_argument & error) {
    EXPECT_STREQ(error.what(), "BehaviorTreeEngine::run: the period must be positive, not 0 ms");
  }
}

TEST_F(EngineTest, NullFlagsCountAsNeverSet)
{
  auto tree = workTree("ticks=\"2\"");
  EXPECT_EQ(
    engine.run(
      &tree, [](bool &) { return TaskState::CONTINUE; }, [] { return false; }, nullptr, nullptr,
      1ms),
    TaskState::SUCCEEDED);
}

TEST_F(EngineTest, AnExceptionHaltsTheTreeAndIsPassedOn)
{
  auto tree = workTree();
  EXPECT_THROW(
    run(
      tree,
      [](int cycle, bool &) -> TaskState {
        if (cycle == 2) {
          throw std::runtime_error("tick failed");
        }
        return TaskState::CONTINUE;
      }),
    std::runtime_error);
  EXPECT_EQ(count("halted"), 1);
}

TEST_F(EngineTest, HaltAllActionsHaltsRunningActionsAndAcceptsNull)
{
  engine.haltAllActions(nullptr);
  auto tree = engine.createTreeFromText(
    R"(
    <root><BehaviorTree><Parallel success_threshold="2">
      <Work halted="{first}"/><Work halted="{second}" ticks="1"/><Work halted="{third}"/>
    </Parallel></BehaviorTree></root>)",
    blackboard);
  EXPECT_EQ(tree.tickRoot(), BT::NodeStatus::RUNNING);
  engine.haltAllActions(tree.rootNode());
  EXPECT_EQ(count("first"), 1);
  EXPECT_EQ(count("second"), 0) << "a completed action is not halted";
  EXPECT_EQ(count("third"), 1);
  EXPECT_EQ(tree.rootNode()->status(), BT::NodeStatus::IDLE);
}

TEST_F(EngineTest, HaltAllActionsHaltsARootActionOnceAndLetsItStartAfresh)
{
  // An action's halt() leaves its status to the parent, and a root action has none.
  auto tree = workTree();
  EXPECT_EQ(tree.tickRoot(), BT::NodeStatus::RUNNING);
  engine.haltAllActions(tree.rootNode());
  EXPECT_EQ(count("halted"), 1);
  EXPECT_EQ(tree.rootNode()->status(), BT::NodeStatus::IDLE);
  engine.haltAllActions(tree.rootNode());
  EXPECT_EQ(count("halted"), 1) << "an idle action is not halted again";
  EXPECT_EQ(tree.tickRoot(), BT::NodeStatus::RUNNING);
  EXPECT_EQ(count("started"), 2);
}

TEST_F(EngineTest, TreesAreBuiltFromFiles)
{
  const auto path =
    std::filesystem::temp_directory_path() / ("engine_test_" + std::to_string(::getpid()) + ".xml");
  {
    std::ofstream file(path);
    file << R"(<root><BehaviorTree><Work ticks="1" ticked="{ticked}"/></BehaviorTree></root>)";
  }
  auto tree = engine.createTreeFromFile(path.string(), blackboard);
  std::filesystem::remove(path);
  EXPECT_EQ(tree.rootBlackboard(), blackboard);
  EXPECT_EQ(tree.tickRoot(), BT::NodeStatus::SUCCESS);
  EXPECT_EQ(count("ticked"), 1);

  EXPECT_THROW(engine.createTreeFromFile(path.string(), blackboard), std::exception);
  EXPECT_THROW(
    engine.createTreeFromText("<root><BehaviorTree><Fly/></BehaviorTree></root>", blackboard),
    std::exception);
}

TEST(EngineConstructionTest, ALibraryThatCannotBeLoadedIsNamed)
{
  try {
    BehaviorTreeEngine engine({ENGINE_TEST_NODES_PATH, "/nonexistent/libnodes.so"});
    FAIL() << "no error";
  } catch (const std::runtime_error & error) {
    EXPECT_THAT(
      error.what(), ::testing::StartsWith("BehaviorTreeEngine: cannot load the plug-in library "
                                          "[/nonexistent/libnodes.so]: Could not load library"));
  }
  try {
    BehaviorTreeEngine engine({"velmoran_no_such_bt_nodes"});
    FAIL() << "no error";
  } catch (const std::runtime_error & error) {
    EXPECT_THAT(error.what(), ::testing::HasSubstr("libvelmoran_no_such_bt_nodes.so"));
  }
  EXPECT_NO_THROW(BehaviorTreeEngine(std::vector<std::string>{}));
}

class TransitionCounter : public BT::StatusChangeLogger
{
public:
  TransitionCounter(BT::TreeNode * root, std::shared_ptr<int> transitions)
  : BT::StatusChangeLogger(root), transitions_(std::move(transitions))
  {
  }

  void callback(BT::Duration, const BT::TreeNode &, BT::NodeStatus, BT::NodeStatus) override
  {
    ++*transitions_;
  }

  void flush() override {}

private:
  std::shared_ptr<int> transitions_;
};

TEST_F(EngineTest, ResettingTheMonitorDetachesIt)
{
  auto tree = workTree("ticks=\"1\"");
  EXPECT_FALSE(engine.hasMonitor()) << "no monitor by default";
  engine.resetGrootMonitor();

  auto transitions = std::make_shared<int>(0);
  engine.setMonitor(std::make_unique<TransitionCounter>(tree.rootNode(), transitions));
  EXPECT_TRUE(engine.hasMonitor());
  tree.tickRoot();
  const int seen = *transitions;
  EXPECT_GT(seen, 0);

  engine.resetGrootMonitor();
  EXPECT_FALSE(engine.hasMonitor());
  tree.tickRoot();
  EXPECT_EQ(*transitions, seen);
}

}  // namespace

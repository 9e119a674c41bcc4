#include <gtest/gtest.h>

#include <chrono>

#include "behaviortree_cpp_v3/behavior_tree.h"
#include "test_nodes.hpp"

namespace
{
using BT::NodeStatus;
using bt_test::ScriptedAction;

/// A steady clock that moves only when the test advances it.
struct ManualClock
{
  using duration = std::chrono::nanoseconds;
  using rep = duration::rep;
  using period = duration::period;
  using time_point = std::chrono::time_point<ManualClock, duration>;
  static constexpr bool is_steady = true;

  static time_point now() { return time_point(elapsed); }

  static inline duration elapsed{0};
};

using ManualTimeout = BT::TimeoutNode<ManualClock, ManualClock::duration>;

TEST(InverterTest, SwapsSuccessAndFailure)
{
  ScriptedAction child("child");
  BT::InverterNode inverter("inverter");
  inverter.setChild(&child);
  EXPECT_EQ(inverter.executeTick(), NodeStatus::FAILURE);
  EXPECT_EQ(child.status(), NodeStatus::IDLE) << "a completed child is reset";
  child.result = NodeStatus::FAILURE;
  EXPECT_EQ(inverter.executeTick(), NodeStatus::SUCCESS);
  child.result = NodeStatus::RUNNING;
  EXPECT_EQ(inverter.executeTick(), NodeStatus::RUNNING);
  inverter.halt();
  EXPECT_EQ(child.halt_count, 1);
}

TEST(ForceResultTest, CompletedChildrenGetTheForcedResult)
{
  ScriptedAction child("child", NodeStatus::FAILURE);
  BT::ForceSuccessNode force_success("force_success");
  force_success.setChild(&child);
  EXPECT_EQ(force_success.executeTick(), NodeStatus::SUCCESS);
  child.result = NodeStatus::RUNNING;
  EXPECT_EQ(force_success.executeTick(), NodeStatus::RUNNING);

  ScriptedAction other("other", NodeStatus::SUCCESS);
  BT::ForceFailureNode force_failure("force_failure");
  force_failure.setChild(&other);
  EXPECT_EQ(force_failure.executeTick(), NodeStatus::FAILURE);
}

TEST(DecoratorTest, ASecondChildIsRejected)
{
  ScriptedAction first("first");
  ScriptedAction second("second");
  BT::InverterNode inverter("inverter");
  inverter.setChild(&first);
  EXPECT_THROW(inverter.setChild(&second), BT::BehaviorTreeException);
}

TEST(RetryTest, RetriesAFailingChildUpToTheLimit)
{
  ScriptedAction child("child", NodeStatus::FAILURE);
  BT::RetryNode retry("retry", 3);
  retry.setChild(&child);
  EXPECT_EQ(retry.executeTick(), NodeStatus::FAILURE);
  EXPECT_EQ(child.tick_count, 3);

  child.tick_count = 0;
  child.result = NodeStatus::RUNNING;
  EXPECT_EQ(retry.executeTick(), NodeStatus::RUNNING);
  child.result = NodeStatus::FAILURE;
  EXPECT_EQ(retry.executeTick(), NodeStatus::FAILURE);
  EXPECT_EQ(child.tick_count, 4) << "the attempt count restarts after each final failure";

  child.tick_count = 0;
  child.result = NodeStatus::SUCCESS;
  EXPECT_EQ(retry.executeTick(), NodeStatus::SUCCESS);
  EXPECT_EQ(child.tick_count, 1);
}

TEST(RetryTest, HaltResetsTheAttemptsAndHaltsTheChild)
{
  ScriptedAction child("child", NodeStatus::FAILURE);
  BT::RetryNode retry("retry", 2);
  retry.setChild(&child);
  child.script = {NodeStatus::FAILURE, NodeStatus::RUNNING};
  EXPECT_EQ(retry.executeTick(), NodeStatus::RUNNING);
  retry.halt();
  EXPECT_EQ(child.halt_count, 1);
  child.tick_count = 0;
  EXPECT_EQ(retry.executeTick(), NodeStatus::FAILURE);
  EXPECT_EQ(child.tick_count, 2) << "both attempts are available again";
}

TEST(RepeatTest, RepeatsASucceedingChildAndStopsAtTheFirstFailure)
{
  ScriptedAction child("child", NodeStatus::SUCCESS);
  BT::RepeatNode repeat("repeat", 3);
  repeat.setChild(&child);
  EXPECT_EQ(repeat.executeTick(), NodeStatus::SUCCESS);
  EXPECT_EQ(child.tick_count, 3);

  child.result = NodeStatus::FAILURE;
  EXPECT_EQ(repeat.executeTick(), NodeStatus::FAILURE);
  EXPECT_EQ(child.tick_count, 4);
}

TEST(RepeatTest, HaltResetsTheCycleCount)
{
  ScriptedAction child("child", NodeStatus::SUCCESS);
  BT::RepeatNode repeat("repeat", 3);
  repeat.setChild(&child);
  child.script = {NodeStatus::SUCCESS, NodeStatus::RUNNING};
  EXPECT_EQ(repeat.executeTick(), NodeStatus::RUNNING);
  repeat.halt();
  EXPECT_EQ(child.halt_count, 1);
  child.tick_count = 0;
  EXPECT_EQ(repeat.executeTick(), NodeStatus::SUCCESS);
  EXPECT_EQ(child.tick_count, 3) << "all cycles are run again";
}

TEST(KeepRunningUntilFailureTest, RunsWhileTheChildSucceeds)
{
  ScriptedAction child("child", NodeStatus::SUCCESS);
  BT::KeepRunningUntilFailureNode keep_running("keep_running");
  keep_running.setChild(&child);
  EXPECT_EQ(keep_running.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(keep_running.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(child.tick_count, 2);
  child.result = NodeStatus::FAILURE;
  EXPECT_EQ(keep_running.executeTick(), NodeStatus::FAILURE);
}

class TimeoutTest : public ::testing::Test
{
protected:
  TimeoutTest()
  {
    ManualClock::elapsed = ManualClock::duration::zero();
    timeout.setChild(&child);
  }

  static void advance(std::chrono::milliseconds step) { ManualClock::elapsed += step; }

  ScriptedAction child{"child", NodeStatus::RUNNING};
  ManualTimeout timeout{"timeout", 100};
};

TEST_F(TimeoutTest, ChildCompletingBeforeTheDeadlineKeepsItsResult)
{
  EXPECT_EQ(timeout.executeTick(), NodeStatus::RUNNING);
  advance(std::chrono::milliseconds(99));
  child.result = NodeStatus::SUCCESS;
  EXPECT_EQ(timeout.executeTick(), NodeStatus::SUCCESS);
  EXPECT_EQ(child.halt_count, 0);
}

TEST_F(TimeoutTest, FirstTickAfterTheDeadlineHaltsTheChildAndFails)
{
  EXPECT_EQ(timeout.executeTick(), NodeStatus::RUNNING);
  advance(std::chrono::milliseconds(5000));
  EXPECT_EQ(timeout.executeTick(), NodeStatus::FAILURE);
  EXPECT_EQ(child.halt_count, 1);
  EXPECT_EQ(child.tick_count, 1) << "the child is not ticked after its deadline";

  EXPECT_EQ(timeout.executeTick(), NodeStatus::RUNNING) << "the next tick starts a new period";
  advance(std::chrono::milliseconds(100));
  EXPECT_EQ(timeout.executeTick(), NodeStatus::FAILURE);
}

TEST_F(TimeoutTest, HaltRestartsThePeriod)
{
  EXPECT_EQ(timeout.executeTick(), NodeStatus::RUNNING);
  advance(std::chrono::milliseconds(90));
  timeout.halt();
  EXPECT_EQ(child.halt_count, 1);
  EXPECT_EQ(timeout.executeTick(), NodeStatus::RUNNING);
  advance(std::chrono::milliseconds(90));
  EXPECT_EQ(timeout.executeTick(), NodeStatus::RUNNING);
}

TEST(TimeoutRealClockTest, ZeroMillisecondsMeansNoLimit)
{
  ScriptedAction child("child", NodeStatus::RUNNING);
  BT::TimeoutNode<> timeout("timeout", 0);
  timeout.setChild(&child);
  EXPECT_EQ(timeout.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(timeout.executeTick(), NodeStatus::RUNNING);
}

}  // namespace

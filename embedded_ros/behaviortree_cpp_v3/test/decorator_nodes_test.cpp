#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "behaviortree_cpp_v3/behavior_tree.h"
#include "test_nodes.hpp"

namespace
{
using BT::NodeStatus;
using bt_test::ScriptedAction;

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
  static_cast<BT::TreeNode &>(repeat).halt();
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

/// A child that runs until halted, and an async child that completes when released; both may
/// be halted or complete on another thread, and tell the test so through a condition.
class Probe
{
public:
  void notify()
  {
    {
      std::lock_guard<std::mutex> lock(mutex);
      ++events;
    }
    changed.notify_all();
  }

  bool waitFor(int count, std::chrono::milliseconds timeout)
  {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, timeout, [&] { return events >= count; });
  }

  std::mutex mutex;
  std::condition_variable changed;
  int events = 0;
};

class EndlessChild : public BT::StatefulActionNode
{
public:
  explicit EndlessChild(Probe & halts) : BT::StatefulActionNode("endless", {}), halts_(halts) {}

  NodeStatus onStart() override { return NodeStatus::RUNNING; }
  NodeStatus onRunning() override { return NodeStatus::RUNNING; }
  void onHalted() override { halts_.notify(); }

private:
  Probe & halts_;
};

class ReleasedChild : public BT::AsyncActionNode
{
public:
  ReleasedChild() : BT::AsyncActionNode("released", {}) {}
  ~ReleasedChild() override { halt(); }

  void release() { released_.notify(); }

  void halt() override
  {
    release();
    BT::AsyncActionNode::halt();
  }

private:
  NodeStatus tick() override
  {
    std::unique_lock<std::mutex> lock(released_.mutex);
    released_.changed.wait(lock, [this] { return released_.events > 0 || isHaltRequested(); });
    return isHaltRequested() ? NodeStatus::FAILURE : NodeStatus::SUCCESS;
  }

  Probe released_;
};

TEST(TimeoutTest, HaltsARunningChildAtTheDeadlineWithoutATick)
{
  Probe halts;
  EndlessChild child(halts);
  BT::TimeoutNode<> timeout("timeout", 30);
  timeout.setChild(&child);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(timeout.executeTick(), NodeStatus::RUNNING);
  ASSERT_TRUE(halts.waitFor(1, std::chrono::seconds(5)));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
  EXPECT_EQ(timeout.executeTick(), NodeStatus::FAILURE);
  EXPECT_EQ(child.status(), NodeStatus::IDLE);
  EXPECT_EQ(halts.events, 1);

  EXPECT_EQ(timeout.executeTick(), NodeStatus::RUNNING) << "the next tick starts a new period";
  static_cast<BT::TreeNode &>(timeout).halt();
  EXPECT_EQ(halts.events, 2);
  EXPECT_FALSE(halts.waitFor(3, std::chrono::milliseconds(100)))
    << "a halted timeout no longer halts its child";
}

TEST(TimeoutTest, ChildCompletedInTimeKeepsItsResultWhenTickedLate)
{
  ReleasedChild child;
  Probe completions;
  auto subscription = child.subscribeToStatusChange(
    [&](BT::TimePoint, const BT::TreeNode &, NodeStatus, NodeStatus status) {
      if (status == NodeStatus::SUCCESS) {
        completions.notify();
      }
    });
  BT::TimeoutNode<> timeout("timeout", 30);
  timeout.setChild(&child);
  EXPECT_EQ(timeout.executeTick(), NodeStatus::RUNNING);
  child.release();
  ASSERT_TRUE(completions.waitFor(1, std::chrono::seconds(5)));
  // Well past the deadline before the next tick.
  EXPECT_FALSE(completions.waitFor(2, std::chrono::milliseconds(100)));
  EXPECT_EQ(timeout.executeTick(), NodeStatus::SUCCESS);
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

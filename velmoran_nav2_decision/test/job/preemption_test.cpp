// Goals that arrive while a job runs: preemption inside the running call, replaced waiting goals,
// preempting goals with commands and without goals, and cancellation of a waiting goal.
#include <limits>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "job_test_support.hpp"
#include "test_gate.hpp"

namespace velmoran::test
{
namespace
{

using rclcpp_action::ResultCode;

/// Held at the gate on its first tick, then running until released.
constexpr const char * kGatedHoldingTree =
  "<Sequence><CountRun/><Gate/><Outcome outcome=\"hold\"/></Sequence>";

class PreemptionTest : public ::testing::Test
{
protected:
  PreemptionTest() : harness_(kGatedHoldingTree)
  {
    harness_.node().blackboard_->set("test_gate", gate_);
  }

  /// Starts job A and waits until its tree is held at the gate.
  PlannerGoalHandle::SharedPtr startHeldJob()
  {
    auto job_a = harness_.send(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}}));
    EXPECT_TRUE(gate_->waitForArrival());
    return job_a;
  }

  void release() { harness_.node().blackboard_->set("test_release", true); }

  std::shared_ptr<TestGate> gate_ = std::make_shared<TestGate>();
  JobHarness harness_;
};

TEST_F(PreemptionTest, NewGoalTakesOverTheRunningCall)
{
  auto job_a = startHeldJob();
  const std::size_t from = harness_.log().mark();
  auto job_b =
    harness_.send(goalWithPoses(PlannerGoal::NAVIGATION_PRECISE_GOAL_REACHING, {{5.0, 6.0}}));
  gate_->open();
  ASSERT_TRUE(harness_.log().waitFor("run_mode is NAVIGATION_PRECISE_GOAL_REACHING", from));

  const auto result_a = harness_.resultOf(job_a);
  EXPECT_EQ(ResultCode::ABORTED, result_a.code);
  release();
  const auto result_b = harness_.resultOf(job_b);
  EXPECT_EQ(ResultCode::SUCCEEDED, result_b.code);
  EXPECT_EQ("Task completed", result_b.result->message);
  // B ran inside A's call: no second job start, one engine run, in which the tree started
  // again on B's goal.
  EXPECT_EQ(0U, harness_.log().count("navigateToPose isNewGoalAvailable", from));
  EXPECT_EQ(1U, harness_.log().count("Task run time: ", from));
  EXPECT_EQ(2, harness_.treeRuns());
  const CapturedLine taken = harness_.log().find("isNewGoalAvailable", from);
  EXPECT_EQ("receivedNewGoal", taken.function);
  // The call closes, after its report, with the run mode of the goal that started it.
  EXPECT_TRUE(harness_.log().waitFor("last_run_mode: -1, curr_run_mode: 0", from));
}

TEST_F(PreemptionTest, ThirdGoalReplacesTheWaitingOne)
{
  auto job_a = startHeldJob();
  auto job_b = harness_.send(goalWithPoses(PlannerGoal::NAVIGATION, {{2.0, 0.0}}));
  auto job_c = harness_.send(goalWithPoses(PlannerGoal::NAVIGATION, {{3.0, 0.0}}));
  EXPECT_EQ(ResultCode::ABORTED, harness_.resultOf(job_b).code);
  gate_->open();
  EXPECT_EQ(ResultCode::ABORTED, harness_.resultOf(job_a).code);
  release();
  const auto result_c = harness_.resultOf(job_c);
  EXPECT_EQ(ResultCode::SUCCEEDED, result_c.code);
  EXPECT_EQ(1, result_c.result->index);
}

TEST_F(PreemptionTest, PreemptingStopCommandEndsTheRun)
{
  auto job_a = startHeldJob();
  const std::size_t from = harness_.log().mark();
  auto stop = goalWithPoses(PlannerGoal::NAVIGATION, {{2.0, 0.0}});
  stop.command = PlannerGoal::COMMAND_STOP;
  auto job_b = harness_.send(stop);
  gate_->open();
  EXPECT_EQ(ResultCode::ABORTED, harness_.resultOf(job_a).code);
  // The stop command's tick answer ends the run; the engine reports that as a finished run.
  const auto result_b = harness_.resultOf(job_b);
  EXPECT_EQ(ResultCode::SUCCEEDED, result_b.code);
  EXPECT_EQ("Task completed", result_b.result->message);
  // The stop goal's task handed out no goal.
  EXPECT_EQ(-1, result_b.result->index);
  EXPECT_EQ(1, harness_.treeRuns());
  EXPECT_EQ(1U, harness_.log().count("Task run time: ", from));
}

TEST_F(PreemptionTest, PreemptingGoalWithAnUnusableNumberEndsTheRunAsAFailure)
{
  auto job_a = startHeldJob();
  const std::size_t from = harness_.log().mark();
  auto job_b = harness_.send(goalWithPoses(
    PlannerGoal::NAVIGATION, {{2.0, 0.0}, {std::numeric_limits<double>::infinity(), 0.0}}));
  gate_->open();
  EXPECT_EQ(ResultCode::ABORTED, harness_.resultOf(job_a).code);
  const auto result_b = harness_.resultOf(job_b);
  EXPECT_EQ(ResultCode::ABORTED, result_b.code);
  EXPECT_EQ("Task failed", result_b.result->message);
  EXPECT_EQ(-1, result_b.result->index);
  // The tree was not started again for B.
  EXPECT_EQ(1, harness_.treeRuns());
  EXPECT_EQ(1U, harness_.log().count("Task run time: ", from));
  EXPECT_EQ(
    spdlog::level::err, harness_.log()
                          .find(
                            "Aborting on goal because it was sent with an unusable number: "
                            "goal_poses[1].pose.position.x is inf",
                            from)
                          .level);
}

TEST_F(PreemptionTest, PreemptingKeepRunningCommandLetsTheRunGoOn)
{
  auto job_a = startHeldJob();
  const std::size_t from = harness_.log().mark();
  auto keep = goalWithPoses(PlannerGoal::NAVIGATION, {{2.0, 0.0}});
  keep.command = PlannerGoal::COMMAND_KEEP_RUNNING;
  auto job_b = harness_.send(keep);
  gate_->open();
  EXPECT_EQ(ResultCode::ABORTED, harness_.resultOf(job_a).code);
  release();
  const auto result_b = harness_.resultOf(job_b);
  EXPECT_EQ(ResultCode::SUCCEEDED, result_b.code);
  EXPECT_EQ(-1, result_b.result->index);
  // The same run goes on; only the halt with which every task start begins restarts the tree.
  EXPECT_EQ(1U, harness_.log().count("Task run time: ", from));
  EXPECT_EQ(2, harness_.treeRuns());
}

TEST_F(PreemptionTest, PreemptingGoalWithoutGoalsCompletesTheRun)
{
  auto job_a = startHeldJob();
  const std::size_t from = harness_.log().mark();
  auto job_b = harness_.send(goalWithPoses(PlannerGoal::NAVIGATION, {}));
  gate_->open();
  EXPECT_EQ(ResultCode::ABORTED, harness_.resultOf(job_a).code);
  const auto result_b = harness_.resultOf(job_b);
  EXPECT_EQ(ResultCode::SUCCEEDED, result_b.code);
  EXPECT_EQ(-1, result_b.result->index);
  EXPECT_EQ(1U, harness_.log().count("Task run time: ", from));
  EXPECT_EQ(1, harness_.treeRuns());
}

TEST_F(PreemptionTest, CancelOfTheWaitingGoalEndsTheRunAsCancelled)
{
  auto job_a = startHeldJob();
  auto job_b = harness_.send(goalWithPoses(PlannerGoal::NAVIGATION, {{2.0, 0.0}}));
  harness_.cancel(job_b);
  gate_->open();
  EXPECT_EQ(ResultCode::ABORTED, harness_.resultOf(job_a).code);
  EXPECT_EQ(ResultCode::CANCELED, harness_.resultOf(job_b).code);
}

}  // namespace
}  // namespace velmoran::test

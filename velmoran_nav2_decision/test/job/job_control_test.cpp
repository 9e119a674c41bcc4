// What steers a running job from outside the tree's own outcome: stop requests, the emergency
// stop, the forced outcomes raised by the tree, and the end-of-job bookkeeping that later jobs see.
#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>

#include <gtest/gtest.h>
#include <std_msgs/msg/string.hpp>
#include <velmoran_protocol/msg/robot_info_level_zero.hpp>

#include "blackboard_keys.hpp"
#include "job_test_support.hpp"
#include "test_gate.hpp"

namespace velmoran::test
{
namespace
{

namespace keys = bt_navigator::keys;
using rclcpp_action::ResultCode;
using namespace std::chrono_literals;

/// The outcome of each run is taken from the blackboard's "test_outcome".
constexpr const char * kScriptedTree =
  "<Sequence><CountRun/><Gate/><WriteGlobalResult/><WriteLocalResult/>"
  "<Outcome outcome=\"{test_outcome}\"/></Sequence>";

class JobControlTest : public ::testing::Test
{
protected:
  void setOutcome(const std::string & outcome)
  {
    harness_.node().blackboard_->set("test_outcome", outcome);
  }
  std::shared_ptr<TestGate> installGate()
  {
    auto gate = std::make_shared<TestGate>();
    harness_.node().blackboard_->set("test_gate", gate);
    return gate;
  }
  PlannerResult run(const PlannerGoal & goal) { return harness_.resultOf(harness_.send(goal)); }

  JobHarness harness_{kScriptedTree};
};

TEST_F(JobControlTest, StopDuringARunEndsTheJobAsASuccessWithoutFurtherRuns)
{
  setOutcome("hold");
  const std::size_t from = harness_.log().mark();
  auto job =
    harness_.send(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}, {2.0, 0.0}, {3.0, 0.0}}));
  ASSERT_TRUE(waitUntil([&] { return harness_.treeRuns() == 1; }));
  harness_.requestStop();
  const auto result = harness_.resultOf(job);
  EXPECT_EQ(ResultCode::SUCCEEDED, result.code);
  EXPECT_EQ("Task completed", result.result->message);
  EXPECT_EQ(2, result.result->index);
  EXPECT_EQ(1, harness_.treeRuns());
  EXPECT_EQ(1U, harness_.log().count("stop task", from));
}

TEST_F(JobControlTest, StopBetweenRunsIsSeenByTheJobLoop)
{
  setOutcome("success");
  auto gate = installGate();
  const std::size_t from = harness_.log().mark();
  auto job = harness_.send(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}, {2.0, 0.0}}));
  ASSERT_TRUE(gate->waitForArrival());
  // The tick in progress completes the first run normally; the stop is found before the second.
  harness_.requestStop();
  gate->open();
  const auto result = harness_.resultOf(job);
  EXPECT_EQ(ResultCode::SUCCEEDED, result.code);
  EXPECT_EQ(1, harness_.treeRuns());
  EXPECT_EQ(1U, harness_.log().count("Task run time: ", from));
  EXPECT_NE(std::string::npos, harness_.log().indexOf("stop task", from));
}

TEST_F(JobControlTest, StopBeforeAJobHasNoEffectOnIt)
{
  setOutcome("success");
  harness_.requestStop();
  const std::size_t from = harness_.log().mark();
  const auto result = run(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}, {2.0, 0.0}}));
  EXPECT_EQ(ResultCode::SUCCEEDED, result.code);
  EXPECT_EQ(2, harness_.treeRuns());
  EXPECT_EQ(std::string::npos, harness_.log().indexOf("stop task", from));
}

TEST_F(JobControlTest, StopCommandWithoutARunningJobEndsTheJobAsASuccessWithoutARun)
{
  setOutcome("success");
  // The goal of this job stays on the blackboard.
  ASSERT_EQ(ResultCode::SUCCEEDED, run(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}})).code);
  ASSERT_EQ(1, harness_.treeRuns());

  const std::size_t from = harness_.log().mark();
  auto stop = goalWithPoses(PlannerGoal::NAVIGATION_PRECISE_GOAL_REACHING, {{2.0, 0.0}});
  stop.command = PlannerGoal::COMMAND_STOP;
  const auto result = run(stop);
  EXPECT_EQ(ResultCode::SUCCEEDED, result.code);
  EXPECT_TRUE(result.result->success);
  EXPECT_EQ("Task completed", result.result->message);
  EXPECT_EQ(-1, result.result->index);
  EXPECT_EQ(1, harness_.treeRuns());
  EXPECT_EQ(std::string::npos, harness_.log().indexOf("Task run time", from));
  EXPECT_EQ(1U, harness_.log().count("stop task", from));
  EXPECT_TRUE(waitUntil(
    [&] { return harness_.previousRunMode() == PlannerGoal::NAVIGATION_PRECISE_GOAL_REACHING; }));
}

TEST_F(JobControlTest, EmergencyStopHoldsTheRunUntilCleared)
{
  setOutcome("success");
  auto publisher = harness_.client()->create_publisher<velmoran_protocol::msg::RobotInfoLevelZero>(
    "/robot_info_level_zero", 1);
  velmoran_protocol::msg::RobotInfoLevelZero state;
  state.emergency_stop = true;
  publisher->publish(state);
  ASSERT_TRUE(waitUntil([&] { return harness_.node().emergency_stop_flag_->load(); }));

  auto job = harness_.send(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}}));
  EXPECT_FALSE(waitUntil([&] { return harness_.treeRuns() > 0; }, 300ms));
  state.emergency_stop = false;
  publisher->publish(state);
  EXPECT_EQ(ResultCode::SUCCEEDED, harness_.resultOf(job).code);
  EXPECT_EQ(1, harness_.treeRuns());
}

/// A job held in its first run with a period far beyond the test's waits: whatever reaches it was
/// served on a wake, not at the end of a period.
class RunningJobInputTest : public ::testing::TestWithParam<const char *>
{
protected:
  RunningJobInputTest()
  {
    harness_.node().tree_tick_period_ = std::chrono::minutes(1);
    harness_.node().blackboard_->set("test_halts", 0);
  }

  int halts()
  {
    int count = 0;
    harness_.node().blackboard_->get("test_halts", count);
    return count;
  }

  JobHarness harness_{"<Sequence><CountRun/><Outcome outcome=\"hold\"/></Sequence>"};
};

TEST_P(RunningJobInputTest, IsServedBeforeTheNextPeriod)
{
  const std::string input = GetParam();
  auto job = harness_.send(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}}));
  ASSERT_TRUE(waitUntil([&] { return harness_.treeRuns() == 1; }));
  const std::size_t from = harness_.log().mark();

  if (input == "cancel") {
    harness_.cancel(job);
    EXPECT_EQ(ResultCode::CANCELED, harness_.resultOf(job).code);
  } else if (input == "stop_task") {
    harness_.requestStop();
    const auto result = harness_.resultOf(job);
    EXPECT_EQ(ResultCode::SUCCEEDED, result.code);
    EXPECT_EQ("Task completed", result.result->message);
  } else if (input == "preempting goal") {
    auto next = harness_.send(goalWithPoses(PlannerGoal::NAVIGATION, {{2.0, 0.0}}));
    EXPECT_EQ(ResultCode::ABORTED, harness_.resultOf(job).code);
    EXPECT_TRUE(waitUntil([&] { return harness_.treeRuns() == 2; }))
      << "the tree starts again on the new goal at once";
    EXPECT_EQ("receivedNewGoal", harness_.log().find("isNewGoalAvailable", from).function);
    harness_.cancel(next);
    EXPECT_EQ(ResultCode::CANCELED, harness_.resultOf(next).code);
  } else if (input == "emergency stop") {
    auto publisher =
      harness_.client()->create_publisher<velmoran_protocol::msg::RobotInfoLevelZero>(
        "/robot_info_level_zero", 1);
    velmoran_protocol::msg::RobotInfoLevelZero state;
    state.emergency_stop = true;
    publisher->publish(state);
    EXPECT_TRUE(waitUntil([&] { return halts() == 1; })) << "the running action is halted";
    state.emergency_stop = false;
    publisher->publish(state);
    EXPECT_TRUE(waitUntil([&] { return harness_.treeRuns() == 2; }))
      << "the tree starts afresh as soon as the emergency stop clears";
    harness_.cancel(job);
    EXPECT_EQ(ResultCode::CANCELED, harness_.resultOf(job).code);
  } else {
    FAIL() << "unknown input " << input;
  }
}

INSTANTIATE_TEST_SUITE_P(
  Inputs, RunningJobInputTest,
  ::testing::Values("cancel", "stop_task", "preempting goal", "emergency stop"),
  [](const ::testing::TestParamInfo<const char *> & info) {
    std::string name = info.param;
    std::replace(name.begin(), name.end(), ' ', '_');
    return name;
  });

TEST_F(JobControlTest, AlwaysSuccessEndsTheJobAsASuccess)
{
  setOutcome("always_success");
  const std::size_t from = harness_.log().mark();
  const auto result = run(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}}));
  EXPECT_EQ(ResultCode::SUCCEEDED, result.code);
  EXPECT_NE(std::string::npos, harness_.log().indexOf("receivedNewGoal always_success.", from));
  EXPECT_FALSE(harness_.node().tree_.rootBlackboard()->get<bool>(keys::kAlwaysSuccess));
}

TEST_F(JobControlTest, AlwaysFailureOfANavigationJobReportsErrorNumberOne)
{
  setOutcome("always_failure");
  const std::size_t from = harness_.log().mark();
  const auto result = run(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}}));
  EXPECT_EQ(ResultCode::ABORTED, result.code);
  EXPECT_EQ(1, result.result->err_num);
  EXPECT_NE(std::string::npos, harness_.log().indexOf("receivedNewGoal always_failure.", from));
  EXPECT_FALSE(harness_.node().tree_.rootBlackboard()->get<bool>(keys::kAlwaysFailure));
}

TEST_F(JobControlTest, FailedJobsAskForTheDiagnosticRecordingOfTheirRunMode)
{
  std::mutex mutex;
  std::vector<std::string> requests;
  auto subscription = harness_.client()->create_subscription<std_msgs::msg::String>(
    "active_trigger_rosbag", rclcpp::QoS(10).reliable(),
    [&](std_msgs::msg::String::ConstSharedPtr message) {
      std::lock_guard<std::mutex> lock(mutex);
      requests.push_back(message->data);
    });
  const auto received = [&] {
    std::lock_guard<std::mutex> lock(mutex);
    return requests;
  };
  auto coverage = goalWithPoses(PlannerGoal::DYNAMICCOVERAGE, {});
  geometry_msgs::msg::Polygon zone;
  for (const auto & [x, y] : {std::pair{0.0F, 0.0F}, {2.0F, 0.0F}, {2.0F, 2.0F}}) {
    geometry_msgs::msg::Point32 point;
    point.x = x;
    point.y = y;
    zone.points.push_back(point);
  }
  coverage.goal_zones = {zone};

  setOutcome("failure");
  EXPECT_EQ(ResultCode::ABORTED, run(coverage).code);
  coverage.run_mode = PlannerGoal::DYNAMICCOVERAGERESIDUESZONES;
  EXPECT_EQ(ResultCode::ABORTED, run(coverage).code);
  EXPECT_EQ(ResultCode::ABORTED, run(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}})).code);
  // A charge job hands the tree goals of modes 0 and 3; the job's own run mode names the recording.
  EXPECT_EQ(ResultCode::ABORTED, run(goalWithPoses(PlannerGoal::CHARGE, {{1.0, 0.0}})).code);

  // The coverage job (201) asked for nothing: the requests are those of the others, in order.
  ASSERT_TRUE(waitUntil([&] { return received().size() >= 3U; }));
  EXPECT_EQ(
    (std::vector<std::string>{
      "velmoran_nav2_decision:next_zone_unreachable",
      "velmoran_nav2_decision:failed_to_navigate_to_point",
      "velmoran_nav2_decision:failed_to_return_to_charging"}),
    received());
}

TEST_F(JobControlTest, ResultFieldsOfEarlierJobsCarryOver)
{
  setOutcome("failure");
  const auto failed = run(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}}));
  ASSERT_EQ(ResultCode::ABORTED, failed.code);
  ASSERT_EQ(3U, failed.result->global_path.size());

  setOutcome("success");
  const auto succeeded = run(goalWithPoses(PlannerGoal::CHARGE, {{1.0, 0.0}}));
  ASSERT_EQ(ResultCode::SUCCEEDED, succeeded.code);
  // The success report writes neither the global path nor the residue zones.
  EXPECT_EQ(3U, succeeded.result->global_path.size());
  EXPECT_EQ(1U, succeeded.result->residues_zones.size());
  EXPECT_FLOAT_EQ(12.5F, succeeded.result->cleaned_area);

  setOutcome("failure");
  const auto failed_again = run(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}}));
  // ... and the failure report leaves the cleaned area of the success before.
  EXPECT_FLOAT_EQ(12.5F, failed_again.result->cleaned_area);
}

TEST_F(JobControlTest, PreviousRunModeFollowsEveryEndedJob)
{
  // The job records its run mode after it has reported.
  const auto previousRunModeBecomes = [this](int run_mode) {
    return waitUntil([&] { return harness_.previousRunMode() == run_mode; });
  };
  setOutcome("success");
  run(goalWithPoses(PlannerGoal::CHARGE, {{1.0, 0.0}}));
  EXPECT_TRUE(previousRunModeBecomes(PlannerGoal::CHARGE));

  setOutcome("failure");
  run(goalWithPoses(PlannerGoal::NARROW_SPACE_NAVIGATION, {{1.0, 0.0}}));
  EXPECT_TRUE(previousRunModeBecomes(PlannerGoal::NARROW_SPACE_NAVIGATION));

  setOutcome("hold");
  const int runs = harness_.treeRuns();
  auto job = harness_.send(goalWithPoses(PlannerGoal::ENTER_CUBICLE, {{1.0, 0.0}}));
  ASSERT_TRUE(waitUntil([&] { return harness_.treeRuns() == runs + 1; }));
  harness_.cancel(job);
  EXPECT_EQ(ResultCode::CANCELED, harness_.resultOf(job).code);
  EXPECT_TRUE(previousRunModeBecomes(PlannerGoal::ENTER_CUBICLE));
}

TEST_F(JobControlTest, ArmJobAtARecommendedPointAfterAnArmJobDoesNotMove)
{
  setOutcome("success");
  PlannerGoal arm_goal;
  arm_goal.run_mode = PlannerGoal::NAVIGATION_WITH_ARM;
  arm_goal.recommand_work_points = {poseAt(3.0, 3.0), poseAt(0.01, 0.0)};
  // The first arm job has no previous arm job: it drives.
  EXPECT_EQ(ResultCode::SUCCEEDED, run(arm_goal).code);
  EXPECT_EQ(1, harness_.treeRuns());

  // The robot (at the origin: no transform) is 0.01 m from a point: nothing to do.
  const auto result = run(arm_goal);
  EXPECT_EQ(ResultCode::SUCCEEDED, result.code);
  EXPECT_EQ("task finished!!!", result.result->message);
  EXPECT_EQ(1, harness_.treeRuns());
}

}  // namespace
}  // namespace velmoran::test

// Reports that depend on the kind of job: elevator error numbers and costmap layers, the fuzzy end
// pose, results the tree left in a form no report can use, and the goal record file.
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <lifecycle_msgs/msg/state.hpp>

#include "blackboard_keys.hpp"
#include "fuzzy_pose.hpp"
#include "goal_record_file.hpp"
#include "job_test_support.hpp"
#include "test_gate.hpp"

namespace velmoran::test
{
namespace
{

namespace keys = bt_navigator::keys;
using rclcpp_action::ResultCode;

constexpr const char * kScriptedTree =
  "<Sequence><CountRun/><Gate/><Outcome outcome=\"{test_outcome}\"/></Sequence>";

/// A job harness with both costmap nodes present, so elevator jobs switch layers at once.
class ElevatorJobTest : public ::testing::Test
{
protected:
  ElevatorJobTest()
  : costmap_spinner_(
      {local_.node()->get_node_base_interface(), global_.node()->get_node_base_interface()})
  {
  }

  void setOutcome(const std::string & outcome)
  {
    harness_.node().blackboard_->set("test_outcome", outcome);
  }
  PlannerResult run(const PlannerGoal & goal) { return harness_.resultOf(harness_.send(goal)); }

  FakeCostmap local_{"local_costmap"};
  FakeCostmap global_{"global_costmap"};
  Spinner costmap_spinner_;
  JobHarness harness_{kScriptedTree};
};

TEST_F(ElevatorJobTest, ElevatorJobRestoresTheCostmapLayersAtItsEnd)
{
  setOutcome("success");
  const auto result = run(goalWithPoses(PlannerGoal::LIFT, {{1.0, 0.0}}));
  EXPECT_EQ(ResultCode::SUCCEEDED, result.code);
  // The task's exit follows the report.
  ASSERT_TRUE(waitUntil([&] { return global_.requests().size() == 2U; }));
  ASSERT_EQ(2U, local_.requests().size());
  EXPECT_TRUE(local_.enabled("top_laser_layer.enabled"));
  EXPECT_FALSE(local_.enabled("lift_top_laser_layer.enabled"));
  EXPECT_TRUE(local_.enabled("foot_laser_layer.enabled"));
  EXPECT_TRUE(global_.enabled("cached_foot_laser_layer.enabled"));
}

TEST_F(ElevatorJobTest, ForcedAbortOfAnElevatorJobReportsErrorNumberOneHundred)
{
  setOutcome("always_failure");
  const auto result = run(goalWithPoses(PlannerGoal::LIFT, {{1.0, 0.0}}));
  EXPECT_EQ(ResultCode::ABORTED, result.code);
  EXPECT_EQ(100, result.result->err_num);
}

TEST_F(ElevatorJobTest, FailedElevatorJobWithoutForcedAbortReportsErrorNumberOneHundredOne)
{
  setOutcome("failure");
  const auto result = run(goalWithPoses(PlannerGoal::LIFT_OUT, {{1.0, 0.0}}));
  EXPECT_EQ(ResultCode::ABORTED, result.code);
  EXPECT_EQ(101, result.result->err_num);
}

TEST_F(ElevatorJobTest, ForcedAbortIsNotReportedAgainByALaterElevatorJob)
{
  setOutcome("always_failure");
  EXPECT_EQ(1, run(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}})).result->err_num);
  setOutcome("failure");
  const auto result = run(goalWithPoses(PlannerGoal::LIFT, {{1.0, 0.0}}));
  EXPECT_EQ(ResultCode::ABORTED, result.code);
  EXPECT_EQ(101, result.result->err_num);
}

TEST_F(ElevatorJobTest, NonIntegerErrorNumberCountsAsMissing)
{
  setOutcome("failure");
  harness_.node().blackboard_->set(keys::kErrNum, std::string("lift door"));
  const std::size_t from = harness_.log().mark();
  const auto result = run(goalWithPoses(PlannerGoal::LIFT_WAITING_AREA, {{1.0, 0.0}}));
  EXPECT_EQ(101, result.result->err_num);
  const CapturedLine warning = harness_.log().find("err_num is not an integer", from);
  EXPECT_EQ(spdlog::level::warn, warning.level);
}

TEST_F(ElevatorJobTest, PreemptedElevatorJobRestoresTheLayersOnceBeforeTheNewTaskStarts)
{
  setOutcome("hold");
  auto gate = std::make_shared<TestGate>();
  harness_.node().blackboard_->set("test_gate", gate);
  auto lift = harness_.send(goalWithPoses(PlannerGoal::LIFT, {{1.0, 0.0}}));
  ASSERT_TRUE(gate->waitForArrival());
  ASSERT_EQ(1U, local_.requests().size());
  EXPECT_FALSE(local_.enabled("top_laser_layer.enabled"));

  const std::size_t from = harness_.log().mark();
  auto navigation = harness_.send(goalWithPoses(PlannerGoal::NAVIGATION, {{2.0, 0.0}}));
  gate->open();
  EXPECT_EQ(ResultCode::ABORTED, harness_.resultOf(lift).code);
  harness_.node().blackboard_->set("test_release", true);
  EXPECT_EQ(ResultCode::SUCCEEDED, harness_.resultOf(navigation).code);
  ASSERT_TRUE(harness_.log().waitFor("behavior tree tick over", from));

  ASSERT_EQ(2U, local_.requests().size());
  ASSERT_EQ(2U, global_.requests().size());
  EXPECT_TRUE(local_.enabled("top_laser_layer.enabled"));
  EXPECT_TRUE(global_.enabled("foot_laser_layer.enabled"));
  const std::size_t new_task = harness_.log().indexOf("run_mode is NAVIGATION", from);
  ASSERT_NE(std::string::npos, new_task);
  EXPECT_LE(local_.requests()[1].log_mark, new_task);
  EXPECT_LE(global_.requests()[1].log_mark, new_task);
}

TEST_F(ElevatorJobTest, LiftJobEndingAtItsGoalHasAFuzzyPoseAtTheOrigin)
{
  setOutcome("success");
  const std::size_t from = harness_.log().mark();
  // Without a transform the robot stays at the origin, where this goal lies.
  const auto result = run(goalWithPoses(PlannerGoal::LIFT, {{0.0, 0.0}}));
  ASSERT_EQ(ResultCode::SUCCEEDED, result.code);
  EXPECT_DOUBLE_EQ(0.0, result.result->fuzzy_pose.pose.position.x);
  EXPECT_DOUBLE_EQ(0.0, result.result->fuzzy_pose.pose.position.y);
  EXPECT_DOUBLE_EQ(1.0, result.result->fuzzy_pose.pose.orientation.w);
  EXPECT_NE(
    std::string::npos,
    harness_.log().indexOf("fuzzy_pose_against_goal pose: x = 0, y = 0 Yaw: 0", from));
}

TEST_F(ElevatorJobTest, LiftJobWithoutGoalPosesKeepsTheIdentityFuzzyPose)
{
  setOutcome("success");
  // Command 2 runs the tree without building a queue, so a goal without poses gets this far.
  auto goal = goalWithPoses(PlannerGoal::LIFT, {});
  goal.command = PlannerGoal::COMMAND_KEEP_RUNNING;
  const std::size_t from = harness_.log().mark();
  const auto result = run(goal);
  ASSERT_EQ(ResultCode::SUCCEEDED, result.code);
  EXPECT_EQ(1.0, result.result->fuzzy_pose.pose.orientation.w);
  EXPECT_EQ(0.0, result.result->fuzzy_pose.pose.position.x);
  EXPECT_EQ("", result.result->fuzzy_pose.header.frame_id);
  EXPECT_EQ(spdlog::level::warn, harness_.log().find("the goal has no goal pose", from).level);
  EXPECT_EQ(std::string::npos, harness_.log().indexOf("fuzzy_pose_against_goal pose:", from));
}

TEST(ElevatorStartUpTest, StopDuringASlowStartEndsTheJobWithoutARun)
{
  // No costmap node: the elevator task waits for the parameter service while it starts.
  JobHarness harness("<Sequence><CountRun/><Outcome outcome=\"success\"/></Sequence>");
  const std::size_t from = harness.log().mark();
  auto job = harness.send(goalWithPoses(PlannerGoal::LIFT, {{1.0, 0.0}}));
  ASSERT_TRUE(harness.log().waitFor("run_mode is LIFT", from));
  harness.requestStop();
  const auto result = harness.resultOf(job);
  EXPECT_EQ(ResultCode::SUCCEEDED, result.code);
  EXPECT_EQ("Task completed", result.result->message);
  EXPECT_EQ(0, harness.treeRuns());
  const std::size_t stop = harness.log().indexOf("stop task", from);
  ASSERT_NE(std::string::npos, stop);
  EXPECT_LT(
    harness.log().indexOf("server: /local_costmap/local_costmap/set_parameters not exist", from),
    stop);
}

TEST(PostTaskPathTest, UnusablePostTaskPathStillEndsTheJobWithAClearResult)
{
  JobHarness harness(
    "<Sequence><WriteBrokenPostTaskPose/><Outcome outcome=\"success\"/></Sequence>");
  const std::size_t from = harness.log().mark();
  const auto result =
    harness.resultOf(harness.send(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}})));
  EXPECT_EQ(ResultCode::SUCCEEDED, result.code);
  EXPECT_EQ("Task completed", result.result->message);
  EXPECT_TRUE(result.result->post_task_path.empty());
  EXPECT_EQ(spdlog::level::err, harness.log().find("post_task_pose", from).level);
  // The worker is still there for the next job.
  EXPECT_EQ(
    ResultCode::SUCCEEDED, harness.resultOf(harness.send(goalWithPoses(0, {{2.0, 0.0}}))).code);
}

TEST(GoalRecordTest, MissingRecordDirectoryIsSkipped)
{
  // A node whose record directory does not exist.
  JobHarness harness("<Outcome outcome=\"success\"/>");
  std::filesystem::remove_all(harness.records().path());
  const auto result =
    harness.resultOf(harness.send(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}})));
  EXPECT_EQ(ResultCode::SUCCEEDED, result.code);
  EXPECT_FALSE(std::filesystem::exists(harness.records().path()));
}

TEST(GoalRecordTest, FileIsNamedAfterTheLocalStartTime)
{
  std::tm start{};
  start.tm_year = 2024 - 1900;
  start.tm_mon = 2;
  start.tm_mday = 5;
  start.tm_hour = 7;
  start.tm_min = 8;
  start.tm_sec = 9;
  start.tm_isdst = -1;
  const auto time =
    std::chrono::system_clock::from_time_t(std::mktime(&start)) + std::chrono::milliseconds(900);
  EXPECT_EQ(
    "/records/2024年03月05日07时08分09秒.txt",
    bt_navigator::GoalRecordFile::pathFor("/records/", time));
  EXPECT_EQ(
    "/records/2024年03月05日07时08分09秒_2.txt",
    bt_navigator::GoalRecordFile::pathFor("/records/", time, 2));
}

TEST(GoalRecordTest, JobsStartingInTheSameSecondKeepEveryRecord)
{
  TemporaryDirectory records;
  const auto second = std::chrono::system_clock::from_time_t(1700000000);
  std::vector<std::string> paths;
  // Three jobs start within one second.
  for (const auto & [start, x] :
       {std::pair{second, 1.0},
        {second + std::chrono::milliseconds(400), 2.0},
        {second + std::chrono::milliseconds(999), 3.0}}) {
    bt_navigator::GoalRecordFile record(records.withSlash(), start);
    record.writeAndClose({poseAt(x, 0.0)});
    paths.push_back(record.path());
  }
  const std::string base = bt_navigator::GoalRecordFile::pathFor(records.withSlash(), second);
  const std::string stem = base.substr(0, base.size() - 4);
  EXPECT_EQ((std::vector<std::string>{base, stem + "_2.txt", stem + "_3.txt"}), paths);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    std::ifstream file(paths[i]);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(std::to_string(i + 1) + " 0 0 1 0 0 0\n", text.str()) << paths[i];
  }
}

TEST(FuzzyPoseTest, RobotPoseIsExpressedInTheGoalFrame)
{
  geometry_msgs::msg::Pose goal;
  goal.position.x = 1.0;
  goal.position.y = 1.0;
  goal.orientation.z = std::sin(M_PI / 4.0);
  goal.orientation.w = std::cos(M_PI / 4.0);
  geometry_msgs::msg::Pose robot;
  robot.position.x = 2.0;
  robot.position.y = 3.0;
  robot.position.z = 0.5;

  const bt_navigator::FuzzyPose fuzzy = bt_navigator::fuzzyPoseAgainstGoal(goal, robot);
  EXPECT_NEAR(2.0, fuzzy.pose.position.x, 1e-12);
  EXPECT_NEAR(-1.0, fuzzy.pose.position.y, 1e-12);
  EXPECT_EQ(0.0, fuzzy.pose.position.z);
  EXPECT_NEAR(-M_PI / 2.0, fuzzy.yaw, 1e-12);
}

TEST(FuzzyPoseTest, YawNearTheVerticalUsesTheDegenerateFormula)
{
  // Pitch of +90 degrees (s = 1): yaw = 2 atan2(y, x).
  geometry_msgs::msg::Quaternion q;
  q.x = 0.0;
  q.y = std::sin(M_PI / 4.0);
  q.z = 0.0;
  q.w = std::cos(M_PI / 4.0);
  EXPECT_NEAR(M_PI, bt_navigator::yawOf(q), 1e-12);
}

}  // namespace
}  // namespace velmoran::test

// Jobs from goal to result: success, failure, cancellation, several goals, jobs without motion.
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "blackboard_keys.hpp"
#include "job_test_support.hpp"

namespace velmoran::test
{
namespace
{

namespace keys = bt_navigator::keys;
using rclcpp_action::ResultCode;

constexpr const char * kSucceedingTree =
  "<Sequence><CountRun/><WriteLocalResult/><WritePostTaskPose count=\"2\"/>"
  "<Outcome outcome=\"success\"/></Sequence>";
constexpr const char * kFailingTree =
  "<Sequence><CountRun/><WriteGlobalResult/><WriteLocalResult/><Outcome outcome=\"failure\"/>"
  "</Sequence>";
constexpr const char * kHoldingTree = "<Sequence><CountRun/><Outcome outcome=\"hold\"/></Sequence>";

std::string onlyRecordText(const TemporaryDirectory & records)
{
  std::filesystem::directory_iterator files(records.path());
  if (files == std::filesystem::directory_iterator()) {
    return "<no record file>";
  }
  std::ifstream record(files->path());
  std::stringstream text;
  text << record.rdbuf();
  return text.str();
}

TEST(JobOutcomeTest, NavigationJobSucceedsWithTheTreesResults)
{
  JobHarness harness(kSucceedingTree);
  const std::size_t from = harness.log().mark();
  const auto result =
    harness.resultOf(harness.send(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 2.0}})));
  // Some lines follow the report.
  ASSERT_TRUE(harness.log().waitFor("behavior tree tick over", from));

  EXPECT_EQ(ResultCode::SUCCEEDED, result.code);
  EXPECT_TRUE(result.result->success);
  EXPECT_EQ(0, result.result->err_num);
  EXPECT_EQ("Task completed", result.result->message);
  EXPECT_EQ(1, result.result->index);
  ASSERT_EQ(2U, result.result->post_task_path.size());
  EXPECT_DOUBLE_EQ(1.0, result.result->post_task_path[1].pose.position.x);
  EXPECT_FLOAT_EQ(12.5F, result.result->cleaned_area);
  // Not a LIFT job: the fuzzy pose is the identity, unstamped and without a frame.
  EXPECT_EQ("", result.result->fuzzy_pose.header.frame_id);
  EXPECT_EQ(0, result.result->fuzzy_pose.header.stamp.sec);
  EXPECT_EQ(0.0, result.result->fuzzy_pose.pose.position.x);
  EXPECT_EQ(1.0, result.result->fuzzy_pose.pose.orientation.w);

  EXPECT_EQ(1, harness.treeRuns());
  EXPECT_TRUE(waitUntil([&] { return harness.previousRunMode() == PlannerGoal::NAVIGATION; }));
  auto & log = harness.log();
  EXPECT_NE(std::string::npos, log.indexOf("SUCCEEDED, result_msg_->index :1", from));
  EXPECT_NE(std::string::npos, log.indexOf("cleaned_area is  12.5", from));
  EXPECT_NE(std::string::npos, log.indexOf("Task completed, post_task_path size:2", from));
  EXPECT_NE(
    std::string::npos, log.indexOf("post task path point, pose:1, 0, orientation: 0, 1", from));
  EXPECT_NE(std::string::npos, log.indexOf("Task run time: 0 s", from));
  const CapturedLine closing =
    log.find("behavior tree tick over is_diff: false, last_run_mode: -1, curr_run_mode: 0", from);
  EXPECT_EQ("./src/nav_decision_job.cpp", closing.file);
  EXPECT_EQ("navigateToPose", closing.function);
  EXPECT_EQ("1 2 0 1 0 0 0\n", onlyRecordText(harness.records()));
}

TEST(JobOutcomeTest, NavigationJobFailureReportsErrorNumberOnePathAndResidueZones)
{
  JobHarness harness(kFailingTree);
  const std::size_t from = harness.log().mark();
  const auto result =
    harness.resultOf(harness.send(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 2.0}})));
  // Some lines follow the report.
  ASSERT_TRUE(harness.log().waitFor("behavior tree tick over", from));

  EXPECT_EQ(ResultCode::ABORTED, result.code);
  EXPECT_FALSE(result.result->success);
  EXPECT_EQ(1, result.result->err_num);
  EXPECT_EQ("Task failed", result.result->message);
  EXPECT_EQ(1, result.result->index);
  ASSERT_EQ(3U, result.result->global_path.size());
  EXPECT_DOUBLE_EQ(2.0, result.result->global_path[2].pose.position.x);
  ASSERT_EQ(1U, result.result->residues_zones.size());
  EXPECT_EQ(2U, result.result->residues_zones[0].points.size());

  auto & log = harness.log();
  EXPECT_NE(std::string::npos, log.indexOf("result size = 1", from));
  EXPECT_NE(std::string::npos, log.indexOf("result[0].size = 2", from));
  EXPECT_NE(
    std::string::npos,
    log.indexOf("residues_zones_msg is 1.000000 2.000000 3.000000 4.000000 \n\n\n", from));
  const CapturedLine failed = log.find("Task failed, error number is 1", from);
  EXPECT_EQ(spdlog::level::err, failed.level);
  EXPECT_TRUE(waitUntil([&] { return harness.previousRunMode() == PlannerGoal::NAVIGATION; }));
}

TEST(JobOutcomeTest, CancelledJobIsReportedAsCancelledWithSuccess)
{
  JobHarness harness(kHoldingTree);
  const auto handle = harness.send(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 2.0}}));
  ASSERT_TRUE(waitUntil([&] { return harness.treeRuns() == 1; }));
  const std::size_t from = harness.log().mark();
  harness.cancel(handle);
  const auto result = harness.resultOf(handle);
  ASSERT_TRUE(harness.log().waitFor("behavior tree tick over", from));

  EXPECT_EQ(ResultCode::CANCELED, result.code);
  EXPECT_TRUE(result.result->success);
  EXPECT_EQ(0, result.result->err_num);
  EXPECT_EQ("Task has been cancled", result.result->message);
  EXPECT_EQ(1, result.result->index);
  // A cancelled run skips feedback, nextGoal and the halt of its pass.
  EXPECT_EQ(std::string::npos, harness.log().indexOf("next task has started", from));
  EXPECT_NE(std::string::npos, harness.log().indexOf("Task has been cancled", from));
  EXPECT_TRUE(waitUntil([&] { return harness.previousRunMode() == PlannerGoal::NAVIGATION; }));
}

TEST(JobOutcomeTest, EveryGoalOfAJobRunsTheTreeOnce)
{
  JobHarness harness("<Sequence><CountRun/><Outcome outcome=\"success\"/></Sequence>");
  const std::size_t from = harness.log().mark();
  const auto result = harness.resultOf(
    harness.send(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 0.0}, {2.0, 0.0}, {3.0, 0.0}})));

  EXPECT_EQ(ResultCode::SUCCEEDED, result.code);
  EXPECT_EQ(3, result.result->index);
  EXPECT_EQ(3, harness.treeRuns());
  EXPECT_EQ(3U, harness.log().count("Task run time: ", from));
  EXPECT_EQ(3U, harness.log().count("next task has started", from));
  EXPECT_EQ("1 0 0 1 0 0 0\n2 0 0 1 0 0 0\n3 0 0 1 0 0 0\n", onlyRecordText(harness.records()));
}

TEST(JobOutcomeTest, JobWithNothingToDriveToSucceedsWithoutRunningTheTree)
{
  JobHarness harness(kSucceedingTree);
  const std::size_t from = harness.log().mark();
  auto goal = goalWithPoses(PlannerGoal::NAVIGATION4WATERUPTAKE, {});
  goal.command = 7;
  const auto result = harness.resultOf(harness.send(goal));

  EXPECT_EQ(ResultCode::SUCCEEDED, result.code);
  EXPECT_TRUE(result.result->success);
  EXPECT_EQ(0, result.result->index);
  EXPECT_EQ("task finished!!!", result.result->message);
  EXPECT_EQ(0, harness.treeRuns());
  EXPECT_EQ(std::string::npos, harness.log().indexOf("Task run time", from));
  EXPECT_NE(std::string::npos, harness.log().indexOf("new_task->command=7", from));
  EXPECT_NE(
    std::string::npos,
    harness.log().indexOf(
      "succeeded_current receiveGoal, don't need move, current_pose:(0, 0)", from));
  EXPECT_TRUE(
    waitUntil([&] { return harness.previousRunMode() == PlannerGoal::NAVIGATION4WATERUPTAKE; }));
  EXPECT_EQ("", onlyRecordText(harness.records()));
}

TEST(JobOutcomeTest, GoalWithAnUnusableNumberFailsBeforeTheTreeRuns)
{
  constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  const auto point = [](double x, double y) {
    geometry_msgs::msg::Point32 result;
    result.x = static_cast<float>(x);
    result.y = static_cast<float>(y);
    return result;
  };
  const auto zone = [&](double x, double y) {
    geometry_msgs::msg::Polygon result;
    result.points = {point(0.0, 0.0), point(x, y), point(2.0, 2.0)};
    return result;
  };
  struct Case
  {
    int32_t run_mode;
    std::function<void(PlannerGoal &)> spoil;
    std::string problem;
  };
  const std::vector<Case> cases = {
    {PlannerGoal::NAVIGATION, [&](auto & g) { g.goal_poses[1].pose.position.x = kNan; },
     "goal_poses[1].pose.position.x is nan"},
    {PlannerGoal::CHARGE, [&](auto & g) { g.goal_poses[0].pose.position.y = kInfinity; },
     "goal_poses[0].pose.position.y is inf"},
    {PlannerGoal::NAVIGATION_LATERAL_MOVE,
     [&](auto & g) { g.goal_poses[1].pose.position.y = -kInfinity; },
     "goal_poses[1].pose.position.y is -inf"},
    {PlannerGoal::NAVIGATION_POSE_OFFSET,
     [&](auto & g) { g.goal_poses[0].pose.orientation.z = kNan; },
     "goal_poses[0].pose.orientation.z is nan"},
    {PlannerGoal::NAVIGATION_POSE_OFFSET,
     [&](auto & g) { g.goal_poses[1].pose.orientation.w = 0.0; },
     "goal_poses[1].pose.orientation (0, 0, 0, 0) is not a unit quaternion"},
    {PlannerGoal::FIXED_DISTANCE_NAVIGATION, [&](auto & g) { g.distance = kInfinity; },
     "distance is inf"},
    {PlannerGoal::NAVIGATION, [&](auto & g) { g.max_speed = kNan; }, "max_speed is nan"},
    {PlannerGoal::NAVIGATION4DYNAMICCOVERAGE, [&](auto & g) { g.goal_zones = {zone(kNan, 1.0)}; },
     "goal_zones[0].points[1].x is nan"},
    {PlannerGoal::DYNAMICCOVERAGE,
     [&](auto & g) {
       g.goal_zones = {zone(1.0, 1.0), zone(1.0, kInfinity)};
     },
     "goal_zones[1].points[1].y is inf"},
    {PlannerGoal::STATICHUICOVERAGE,
     [&](auto & g) {
       g.goal_zones = {zone(1.0, 1.0)};
       g.covered_points = {point(1.0, 1.0), point(kNan, 0.0)};
     },
     "covered_points[1].x is nan"},
    {PlannerGoal::LIFT,
     [&](auto & g) {
       g.lift_frame = {point(0.0, 0.0), point(1.0, kNan)};
     },
     "lift_frame[1].y is nan"},
    {PlannerGoal::NAVIGATION_WITH_ARM,
     [&](auto & g) {
       g.recommand_work_points = {poseAt(3.0, 3.0), poseAt(kNan, 1.0)};
     },
     "recommand_work_points[1].pose.position.x is nan"},
  };

  JobHarness harness(kSucceedingTree);
  for (const auto & test_case : cases) {
    SCOPED_TRACE(test_case.problem);
    auto goal = goalWithPoses(test_case.run_mode, {{1.0, 0.0}, {2.0, 0.0}});
    test_case.spoil(goal);
    const std::size_t from = harness.log().mark();
    const auto result = harness.resultOf(harness.send(goal));

    EXPECT_EQ(ResultCode::ABORTED, result.code);
    EXPECT_FALSE(result.result->success);
    EXPECT_EQ("Task failed", result.result->message);
    EXPECT_EQ(1, result.result->err_num);
    // No goal was handed out, and nothing of an earlier job is passed off as this one's.
    EXPECT_EQ(-1, result.result->index);
    EXPECT_TRUE(result.result->global_path.empty());
    EXPECT_TRUE(result.result->residues_zones.empty());
    EXPECT_EQ(0, harness.treeRuns());
    EXPECT_EQ(std::string::npos, harness.log().indexOf("Task run time", from));
    const CapturedLine refused = harness.log().find(
      "Aborting on goal because it was sent with an unusable number: " + test_case.problem, from);
    EXPECT_EQ(spdlog::level::err, refused.level);
    // The line follows the report.
    ASSERT_TRUE(harness.log().waitFor("Task failed, error number is 1", from));
    EXPECT_EQ(spdlog::level::err, harness.log().find("Task failed, error number is 1", from).level);
  }
}

}  // namespace
}  // namespace velmoran::test

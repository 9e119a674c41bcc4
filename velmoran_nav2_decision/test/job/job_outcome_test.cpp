// Jobs from goal to result: success, failure, cancellation, several goals, jobs without motion.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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

}  // namespace
}  // namespace velmoran::test

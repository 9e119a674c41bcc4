#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <std_msgs/msg/int16.hpp>
#include <std_msgs/msg/int32.hpp>

#include "navigation_with_arm_task.hpp"
#include "task_test_support.hpp"
#include "zero_velocity_probe.hpp"

namespace bt_navigator::test
{
namespace
{

using PoseList = std::vector<geometry_msgs::msg::PoseStamped>;

class NavigationWithArmTaskTest : public TaskTest
{
protected:
  NavigationWithArmTaskTest()
  {
    goal_->recommand_work_points = {poseAt(3, 3), poseAt(1.01, 1.01, 0.5)};
  }

  /// A job start as the job loop does it: the pose record lives only for this call.
  TaskState startJob(double robot_x, double robot_y, int previous_run_mode)
  {
    blackboard_->set<int>("previous_run_mode", previous_run_mode);
    const auto robot_pose = poseAt(robot_x, robot_y);
    task_.setCurrentPose(&robot_pose);
    return task_.startTask(
      goal_, [] {}, zero_velocity_.communicator());
  }

  std::string currentPoseLine(const std::string & position, int previous_run_mode)
  {
    return "NavigationWithArmTask::nextGoal current_pose(" + position +
           "), previous_run_mode: " + std::to_string(previous_run_mode) +
           ", recommand_point_distance_square_thr: 0.0004";
  }

  void expectAllPointsHandedOut()
  {
    const auto current = *task_.currentGoal();
    EXPECT_EQ(current.index, 1);
    EXPECT_EQ(current.mode, Goal::NAVIGATION_WITH_ARM);
    EXPECT_EQ(current.pose.header.frame_id, "map");
    EXPECT_EQ(current.pose.pose, goal_->recommand_work_points[0].pose);
    EXPECT_EQ(entry<PoseList>("goal_poses"), goal_->recommand_work_points);
    EXPECT_EQ(entry<geometry_msgs::msg::PoseStamped>("current_goal"), current.pose);
    EXPECT_EQ(entry<int>("run_mode"), Goal::NAVIGATION_WITH_ARM);
    EXPECT_EQ(entry<std_msgs::msg::Int16>("goal_mode").data, Goal::NAVIGATION_WITH_ARM);
    EXPECT_EQ(entry<std_msgs::msg::Int32>("action_id").data, 42);
    EXPECT_EQ(entry<std_msgs::msg::Int32>("action_id_result").data, 42);
    EXPECT_TRUE(entry<bool>("new_goal"));
    EXPECT_TRUE(logged(spdlog::level::info, "nextGoal Cancel goals_queue_ size is 2"));
    EXPECT_TRUE(logged(
      spdlog::level::info,
      "----------------------> NavigationWithArmTask run mode is 405, action id 42"));
    EXPECT_EQ(task_.nextGoal(), TaskState::COMPLETED);
    EXPECT_EQ(entry<int>("run_mode"), -1);
    EXPECT_TRUE(logged(
      spdlog::level::info, "NavigationWithArmTask::nextGoal All tasks completed,queue empty"));
  }

  std::shared_ptr<Goal> goal_ = makeGoal(Goal::NAVIGATION_WITH_ARM);
  NavigationWithArmTask task_{blackboard_, &tree_};
  ZeroVelocityProbe zero_velocity_;
};

TEST_F(NavigationWithArmTaskTest, RobotAlreadyAtAPointAfterAnArmJobNeedsNoMotion)
{
  EXPECT_EQ(startJob(1.0, 1.0, Goal::NAVIGATION_WITH_ARM), TaskState::COMPLETED);
  EXPECT_TRUE(logged(spdlog::level::info, currentPoseLine("x: 1, y: 1", 405)));
  EXPECT_TRUE(logged(
    spdlog::level::info,
    "NavigationWithArmTask::nextGoal the robot near recommend point[1], distance: 0.0002"));
  EXPECT_TRUE(entry<bool>("path_updated"));
  EXPECT_FALSE(hasEntry("run_mode"));
  EXPECT_FALSE(hasEntry("new_goal"));
  EXPECT_FALSE(hasEntry("goal_poses"));
  EXPECT_EQ(task_.currentGoal()->index, -1);
  EXPECT_EQ(zero_velocity_.count(), 1);
}

TEST_F(NavigationWithArmTaskTest, FirstArmJobSkipsTheDistanceCheck)
{
  EXPECT_EQ(startJob(1.0, 1.0, Goal::NAVIGATION), TaskState::SUCCEEDED);
  EXPECT_TRUE(logged(spdlog::level::info, currentPoseLine("x: 1, y: 1", 0)));
  EXPECT_TRUE(logged(
    spdlog::level::info,
    "NavigationWithArmTask::nextGoal previous_run_mode is 0, skip near-goal check for the first "
    "recommend task"));
  expectAllPointsHandedOut();
}

TEST_F(NavigationWithArmTaskTest, RobotAwayFromThePointsDrivesToThem)
{
  EXPECT_EQ(startJob(0.0, 0.0, Goal::NAVIGATION_WITH_ARM), TaskState::SUCCEEDED);
  EXPECT_TRUE(logged(
    spdlog::level::info,
    "NavigationWithArmTask::nextGoal nearest recommend point index: 1, distance: 2.0402"));
  expectAllPointsHandedOut();
}

TEST_F(NavigationWithArmTaskTest, EqualDistancesKeepTheFirstPoint)
{
  goal_->recommand_work_points = {poseAt(2, 2), poseAt(0, 0)};
  EXPECT_EQ(startJob(1.0, 1.0, Goal::NAVIGATION_WITH_ARM), TaskState::SUCCEEDED);
  EXPECT_TRUE(logged(
    spdlog::level::info,
    "NavigationWithArmTask::nextGoal nearest recommend point index: 0, distance: 2"));
}

TEST_F(NavigationWithArmTaskTest, ThresholdComesFromTheBlackboard)
{
  blackboard_->set<float>("recommand_point_distance_square_thr", 0.0001F);
  EXPECT_EQ(startJob(1.0, 1.0, Goal::NAVIGATION_WITH_ARM), TaskState::SUCCEEDED);
  EXPECT_TRUE(logged(
    spdlog::level::info,
    "NavigationWithArmTask::nextGoal nearest recommend point index: 1, distance: 0.0002"));
}

TEST_F(NavigationWithArmTaskTest, TaskWithoutAPoseSkipsTheCheck)
{
  // As for a task that took over a running job.
  blackboard_->set<int>("previous_run_mode", Goal::NAVIGATION_WITH_ARM);
  EXPECT_EQ(
    task_.startTask(
      goal_, [] {}, zero_velocity_.communicator()),
    TaskState::SUCCEEDED);
  for (const auto & line : linesAt(spdlog::level::info)) {
    EXPECT_EQ(line.find("current_pose"), std::string::npos) << line;
    EXPECT_EQ(line.find("recommend point"), std::string::npos) << line;
  }
  expectAllPointsHandedOut();
}

TEST_F(NavigationWithArmTaskTest, PoseIsTheOneGivenAtTheStartOfTheJob)
{
  blackboard_->set<int>("previous_run_mode", Goal::NAVIGATION_WITH_ARM);
  {
    auto robot_pose = poseAt(1.0, 1.0);
    task_.setCurrentPose(&robot_pose);
    // The job loop's record changes (or goes away) after the call; the task is not affected.
    robot_pose = poseAt(50.0, 50.0);
  }
  EXPECT_EQ(
    task_.startTask(
      goal_, [] {}, zero_velocity_.communicator()),
    TaskState::COMPLETED);

  task_.setCurrentPose(nullptr);
  EXPECT_EQ(task_.nextGoal(), TaskState::CONTINUE);
}

TEST_F(NavigationWithArmTaskTest, QueuedGoalsAlwaysCarryTheArmMode)
{
  goal_->run_mode = Goal::NAVIGATION;
  EXPECT_EQ(startJob(0.0, 0.0, Goal::NAVIGATION), TaskState::SUCCEEDED);
  expectAllPointsHandedOut();
}

TEST_F(NavigationWithArmTaskTest, JobWithoutPointsCompletesAtOnce)
{
  goal_->recommand_work_points.clear();
  EXPECT_EQ(startJob(0.0, 0.0, Goal::NAVIGATION_WITH_ARM), TaskState::COMPLETED);
  EXPECT_EQ(
    linesAt(spdlog::level::warn), std::vector<std::string>{"recommand_work_points is empty"});
  EXPECT_FALSE(entry<bool>("path_updated"));
  EXPECT_EQ(zero_velocity_.count(), 1);
}

}  // namespace
}  // namespace bt_navigator::test

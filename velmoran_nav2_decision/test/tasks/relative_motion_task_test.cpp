#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tf2/exceptions.h>
#include <tf2_ros/buffer.h>
#include <rclcpp/rclcpp.hpp>
#include <std_msgs/msg/int16.hpp>
#include <std_msgs/msg/int32.hpp>
#include <velmoran_nav2_protocol/action/local_planning.hpp>

#include "navigation_fixed_distance_task.hpp"
#include "navigation_lateral_move_task.hpp"
#include "navigation_pose_offset_task.hpp"
#include "task_test_support.hpp"

namespace bt_navigator::test
{
namespace
{

using LocalPlanningResult = velmoran_nav2_protocol::action::LocalPlanning_Result;
using PoseList = std::vector<geometry_msgs::msg::PoseStamped>;

constexpr double kTolerance = 1e-9;

void expectPose(const geometry_msgs::msg::PoseStamped & pose, double x, double y, double yaw)
{
  EXPECT_NEAR(pose.pose.position.x, x, kTolerance);
  EXPECT_NEAR(pose.pose.position.y, y, kTolerance);
  EXPECT_NEAR(pose.pose.position.z, 0.0, kTolerance);
  // Compare headings on the circle: +pi and -pi are the same heading.
  const double heading_error = std::remainder(yawOf(pose.pose.orientation) - yaw, 2.0 * M_PI);
  EXPECT_NEAR(heading_error, 0.0, kTolerance);
  EXPECT_EQ(pose.header.frame_id, "map");
}

class RelativeMotionTaskTest : public TaskTest
{
protected:
  static void SetUpTestSuite() { ensureRosInitialised(); }

  RelativeMotionTaskTest()
  : node_(std::make_shared<rclcpp::Node>("relative_motion_task_test")),
    tf_buffer_(std::make_shared<tf2_ros::Buffer>(node_->get_clock()))
  {
    blackboard_->set("tf_buffer", tf_buffer_);
    blackboard_->set("node", node_);
  }

  /// Puts "base_footprint" at (x, y) with heading `yaw` in "map".
  builtin_interfaces::msg::Time placeRobot(double x, double y, double yaw)
  {
    geometry_msgs::msg::TransformStamped robot;
    robot.header.frame_id = "map";
    robot.header.stamp = node_->now();
    robot.child_frame_id = "base_footprint";
    robot.transform.translation.x = x;
    robot.transform.translation.y = y;
    robot.transform.rotation = rotationAbout(0, 0, 1, yaw);
    tf_buffer_->setTransform(robot, "relative_motion_task_test");
    return robot.header.stamp;
  }

  rclcpp::Node::SharedPtr node_;
  std::shared_ptr<tf2_ros::Buffer> tf_buffer_;
};

TEST_F(RelativeMotionTaskTest, FixedDistanceGoesStraightAheadKeepingTheHeading)
{
  const auto stamp = placeRobot(2, 3, M_PI / 2);
  auto goal = makeGoal(Goal::FIXED_DISTANCE_NAVIGATION, {poseAt(9, 9)});
  goal->distance = 1.5F;
  NavigationFixedDistanceTask task(blackboard_, &tree_);

  ASSERT_TRUE(task.updateQueue(goal));
  EXPECT_TRUE(entry<bool>("path_updated"));
  ASSERT_EQ(task.nextGoal(), TaskState::CONTINUE);
  const auto current = *task.currentGoal();
  EXPECT_EQ(current.index, 1);
  EXPECT_EQ(current.mode, Goal::FIXED_DISTANCE_NAVIGATION);
  expectPose(current.pose, 2.0, 4.5, M_PI / 2);
  EXPECT_EQ(current.pose.header.stamp, stamp);
  EXPECT_EQ(entry<PoseList>("goal_poses"), PoseList{current.pose});
  EXPECT_EQ(entry<std_msgs::msg::Int16>("goal_mode").data, Goal::FIXED_DISTANCE_NAVIGATION);
  EXPECT_EQ(entry<std_msgs::msg::Int32>("action_id").data, 42);
  EXPECT_EQ(task.nextGoal(), TaskState::COMPLETED);

  const std::vector<std::string> expected{
    "receive goals,goals_queue_ size is 1",
    "NavigationFixedDistanceTask::nextGoal",
    "nextGoal goals_queue_ size is 1",
    "----------------------> NavigationFixedDistanceTask run mode is 400, action id 42",
    "NavigationFixedDistanceTask::nextGoal",
    "NavigationFixedDistanceTask::nextGoal All tasks completed,queue empty",
  };
  EXPECT_EQ(linesAt(spdlog::level::info), expected);
}

TEST_F(RelativeMotionTaskTest, PoseOffsetIsTakenInTheRobotFrame)
{
  placeRobot(2, 3, M_PI / 2);
  const auto goal = makeGoal(Goal::NAVIGATION_POSE_OFFSET, {poseAt(1, 0, M_PI / 2)});
  NavigationPoseOffsetTask task(blackboard_, &tree_);

  ASSERT_TRUE(task.updateQueue(goal));
  ASSERT_EQ(task.nextGoal(), TaskState::CONTINUE);
  EXPECT_EQ(task.currentGoal()->index, 503);
  expectPose(task.currentGoal()->pose, 2.0, 4.0, M_PI);
  EXPECT_TRUE(logged(
    spdlog::level::info,
    "----------------------> NavigationPoseOffsetTask run mode is 401, action id 42"));
  EXPECT_EQ(task.nextGoal(), TaskState::COMPLETED);
  EXPECT_TRUE(logged(
    spdlog::level::info, "NavigationPoseOffsetTask::nextGoal All tasks completed,queue empty"));
}

TEST_F(RelativeMotionTaskTest, AllOffsetsOfAJobUseTheTransformOfItsStart)
{
  placeRobot(2, 3, M_PI / 2);
  const auto goal = makeGoal(
    Goal::NAVIGATION_POSE_OFFSET, {poseAt(1, 0), poseAt(0, 1, M_PI / 2), poseAt(-1, 0, M_PI)});
  NavigationPoseOffsetTask task(blackboard_, &tree_);
  ASSERT_TRUE(task.updateQueue(goal));
  EXPECT_TRUE(logged(spdlog::level::info, "receive goals,goals_queue_ size is 3"));

  // The robot moves on; the queued goals stay where they were put.
  placeRobot(-5, -5, 0.0);
  const std::vector<std::vector<double>> expected{
    {2, 4, M_PI / 2}, {1, 3, M_PI}, {2, 2, -M_PI / 2}};
  for (const auto & pose : expected) {
    ASSERT_EQ(task.nextGoal(), TaskState::CONTINUE);
    EXPECT_EQ(task.currentGoal()->index, 503);
    expectPose(task.currentGoal()->pose, pose[0], pose[1], pose[2]);
  }
  EXPECT_EQ(task.nextGoal(), TaskState::COMPLETED);
}

TEST_F(RelativeMotionTaskTest, PoseOffsetWithoutPosesIsRejected)
{
  placeRobot(2, 3, 0.0);
  NavigationPoseOffsetTask task(blackboard_, &tree_);
  EXPECT_FALSE(task.updateQueue(makeGoal(Goal::NAVIGATION_POSE_OFFSET)));
  EXPECT_EQ(linesAt(spdlog::level::warn), std::vector<std::string>{"goal_pose is empty"});
  EXPECT_FALSE(entry<bool>("path_updated"));
  EXPECT_EQ(task.nextGoal(), TaskState::COMPLETED);
}

TEST_F(RelativeMotionTaskTest, LateralMoveHandsBothTargetsToTheLocalPlanner)
{
  placeRobot(2, 3, M_PI / 2);
  for (const int32_t run_mode :
       {Goal::NAVIGATION_LATERAL_MOVE, Goal::NAVIGATION_LATERAL_MOVE_WITH_ODOM}) {
    SCOPED_TRACE(run_mode);
    const auto goal = makeGoal(run_mode, {poseAt(5, 5), poseAt(0, 0.5)});
    NavigationLateralMoveTask task(blackboard_, &tree_);
    ASSERT_TRUE(task.updateQueue(goal));
    EXPECT_TRUE(entry<bool>("path_updated"));

    for (int goal_number = 0; goal_number < 2; ++goal_number) {
      ASSERT_EQ(task.nextGoal(), TaskState::CONTINUE);
      EXPECT_EQ(task.currentGoal()->index, 402);
      EXPECT_EQ(entry<int>("run_mode"), run_mode);
      // Both goals carry the last target, as received and in "map".
      const auto local_result = entry<LocalPlanningResult>("local_result");
      ASSERT_EQ(local_result.target_poses.size(), 2U);
      EXPECT_EQ(local_result.target_poses[0], goal->goal_poses.back());
      expectPose(local_result.target_poses[1], 1.5, 3.0, M_PI / 2);
      EXPECT_EQ(local_result.use_odometry, run_mode == Goal::NAVIGATION_LATERAL_MOVE_WITH_ODOM);
    }
    EXPECT_EQ(task.nextGoal(), TaskState::COMPLETED);
  }
  EXPECT_FALSE(hasEntry("goal_mode"));
  EXPECT_FALSE(hasEntry("goal_poses"));
  EXPECT_FALSE(hasEntry("action_id"));
  EXPECT_TRUE(
    logged(spdlog::level::info, "NavigationLateralMoveTask receive goals,goals_queue_ size is 2"));
  EXPECT_TRUE(logged(spdlog::level::info, "nextGoal Cancel goals_queue_ size is 2"));
}

TEST_F(RelativeMotionTaskTest, LateralMoveMarksThePathUpdatedOnTheTreeEvenWithoutPoses)
{
  placeRobot(2, 3, 0.0);
  auto root = BT::Blackboard::create();
  root->set<bool>("path_updated", false);
  tree_.blackboard_stack = {root};
  NavigationLateralMoveTask task(blackboard_, &tree_);

  EXPECT_FALSE(task.updateQueue(makeGoal(Goal::NAVIGATION_LATERAL_MOVE)));
  EXPECT_TRUE(root->get<bool>("path_updated"));
  EXPECT_FALSE(entry<bool>("path_updated"));
  EXPECT_EQ(linesAt(spdlog::level::warn), std::vector<std::string>{"goal_pose is empty"});
}

TEST_F(RelativeMotionTaskTest, LateralMoveWithoutATreeRaises)
{
  placeRobot(2, 3, 0.0);
  NavigationLateralMoveTask task(blackboard_, nullptr);
  EXPECT_THROW(
    task.updateQueue(makeGoal(Goal::NAVIGATION_LATERAL_MOVE, {poseAt(1, 0)})), std::logic_error);
}

TEST_F(RelativeMotionTaskTest, MissingTransformRaisesOutOfTheJobStart)
{
  const auto goal = makeGoal(Goal::NAVIGATION_POSE_OFFSET, {poseAt(1, 0)});
  NavigationPoseOffsetTask pose_offset(blackboard_, &tree_);
  EXPECT_THROW(pose_offset.updateQueue(goal), tf2::TransformException);
  NavigationFixedDistanceTask fixed_distance(blackboard_, &tree_);
  EXPECT_THROW(
    fixed_distance.startTask(
      goal, [] {}, nullptr),
    tf2::TransformException);
  EXPECT_FALSE(entry<bool>("path_updated"));
}

TEST_F(RelativeMotionTaskTest, NullEntriesRaiseClearErrors)
{
  placeRobot(2, 3, 0.0);
  const auto goal = makeGoal(Goal::NAVIGATION_POSE_OFFSET, {poseAt(1, 0)});
  NavigationPoseOffsetTask task(blackboard_, &tree_);
  blackboard_->set("node", rclcpp::Node::SharedPtr());
  EXPECT_THROW(task.updateQueue(goal), std::invalid_argument);
  blackboard_->set("tf_buffer", std::shared_ptr<tf2_ros::Buffer>());
  EXPECT_THROW(task.updateQueue(goal), std::invalid_argument);
}

}  // namespace
}  // namespace bt_navigator::test

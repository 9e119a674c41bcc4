#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <std_msgs/msg/int16.hpp>
#include <std_msgs/msg/int32.hpp>

#include "comb_nav_task.hpp"
#include "goal_pose_validation.hpp"
#include "navigation_for_dynamic_coverage_task.hpp"
#include "navigation_task.hpp"
#include "task_test_support.hpp"
#include "zero_velocity_probe.hpp"

namespace bt_navigator::test
{
namespace
{

using PoseList = std::vector<geometry_msgs::msg::PoseStamped>;
using PointList = std::vector<geometry_msgs::msg::Point32>;

constexpr double kDegree = M_PI / 180.0;

geometry_msgs::msg::Quaternion quaternion(double x, double y, double z, double w)
{
  geometry_msgs::msg::Quaternion q;
  q.x = x;
  q.y = y;
  q.z = z;
  q.w = w;
  return q;
}

TEST(QuaternionValidityTest, RejectsDegenerateAndTiltedRotations)
{
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(isQuaternionValid(quaternion(0, 0, 0, 0)));
  EXPECT_FALSE(isQuaternionValid(quaternion(0, 0, 0, 1e-4)));
  EXPECT_FALSE(isQuaternionValid(quaternion(nan, 0, 0, 1)));
  EXPECT_FALSE(isQuaternionValid(quaternion(0, 0, 0, inf)));
  EXPECT_FALSE(isQuaternionValid(rotationAbout(1, 0, 0, 10 * kDegree)));
  EXPECT_FALSE(isQuaternionValid(rotationAbout(0, 1, 0, 3 * kDegree)));
}

TEST(QuaternionValidityTest, AcceptsTurnsAboutTheVerticalAxis)
{
  EXPECT_TRUE(isQuaternionValid(quaternion(0, 0, 0, 1)));
  EXPECT_TRUE(isQuaternionValid(rotationAbout(0, 0, 1, 170 * kDegree)));
  EXPECT_TRUE(isQuaternionValid(rotationAbout(0, 0, 1, -90 * kDegree)));
  // Not normalised, but a half turn about z all the same.
  EXPECT_TRUE(isQuaternionValid(quaternion(0, 0, 2, 0)));
  // A tilt below the tolerance passes.
  EXPECT_TRUE(isQuaternionValid(rotationAbout(1, 0, 0, 2 * kDegree)));
}

class NavigationTaskTest : public TaskTest
{
protected:
  std::shared_ptr<Goal> goal_ = makeGoal(Goal::NARROW_SPACE_NAVIGATION);
  NavigationTask task_{blackboard_, &tree_};
};

TEST_F(NavigationTaskTest, HandsOutThePosesInOrderThenCompletes)
{
  goal_->goal_poses = {poseAt(1, 2), poseAt(3, 4, M_PI / 2), poseAt(5, 6)};
  ASSERT_TRUE(task_.updateQueue(goal_));
  EXPECT_TRUE(entry<bool>("path_updated"));
  EXPECT_TRUE(logged(spdlog::level::info, "1  2  1 0"));
  EXPECT_TRUE(logged(spdlog::level::info, "receive goals,goals_queue_ size is 3"));

  for (int index = 1; index <= 3; ++index) {
    SCOPED_TRACE(index);
    blackboard_->set<bool>("new_goal", false);
    ASSERT_EQ(task_.nextGoal(), TaskState::CONTINUE);
    const auto & expected = goal_->goal_poses[static_cast<size_t>(index - 1)];
    const auto current = task_.currentGoal();
    EXPECT_EQ(current->index, index);
    EXPECT_EQ(current->mode, Goal::NARROW_SPACE_NAVIGATION);
    EXPECT_EQ(current->pose.header.frame_id, "map");
    EXPECT_EQ(current->pose.pose, expected.pose);
    EXPECT_TRUE(entry<bool>("new_goal"));
    EXPECT_EQ(entry<int>("run_mode"), Goal::NARROW_SPACE_NAVIGATION);
    EXPECT_EQ(entry<std_msgs::msg::Int16>("goal_mode").data, Goal::NARROW_SPACE_NAVIGATION);
    EXPECT_EQ(entry<geometry_msgs::msg::PoseStamped>("current_goal"), current->pose);
    EXPECT_EQ(entry<PoseList>("goal_poses"), PoseList{current->pose});
    EXPECT_EQ(entry<std_msgs::msg::Int32>("action_id").data, 42);
    EXPECT_EQ(entry<std_msgs::msg::Int32>("action_id_result").data, 42);
  }
  EXPECT_TRUE(logged(spdlog::level::info, "nextGoal goals_queue_ size is 3"));
  EXPECT_TRUE(logged(spdlog::level::info, "nextGoal goals_queue_ size is 1"));
  EXPECT_TRUE(logged(
    spdlog::level::info, "----------------------> navigation-task run mode is 500, actionid 42"));

  EXPECT_EQ(task_.nextGoal(), TaskState::COMPLETED);
  EXPECT_EQ(entry<int>("run_mode"), -1);
  EXPECT_EQ(task_.currentGoal()->index, 3);
  EXPECT_TRUE(logged(spdlog::level::info, "nextGoal All tasks completed,queue empty"));
}

TEST_F(NavigationTaskTest, InvalidPoseStopsTheQueueButKeepsTheEarlierGoals)
{
  auto invalid = poseAt(3, 4);
  invalid.pose.orientation.w = 0.0;
  goal_->goal_poses = {poseAt(1, 2), invalid, poseAt(5, 6)};

  EXPECT_FALSE(task_.updateQueue(goal_));
  EXPECT_EQ(
    linesAt(spdlog::level::err),
    std::vector<std::string>{
      "Aborting on goal because it was sent with an invalid quaternion, error code is 101100009"});
  EXPECT_FALSE(entry<bool>("path_updated"));

  EXPECT_EQ(task_.nextGoal(), TaskState::CONTINUE);
  EXPECT_EQ(task_.currentGoal()->index, 1);
  EXPECT_EQ(task_.nextGoal(), TaskState::COMPLETED);
}

class CombNavTaskTest : public TaskTest
{
protected:
  std::shared_ptr<Goal> goal_ = makeGoal(Goal::CHARGE);
  CombNavTask task_{blackboard_, &tree_};
};

TEST_F(CombNavTaskTest, ApproachesFromHalfAMetreAheadThenDocksPrecisely)
{
  goal_->goal_poses = {poseAt(1, 2)};
  ASSERT_TRUE(task_.updateQueue(goal_));
  EXPECT_TRUE(entry<bool>("path_updated"));
  EXPECT_TRUE(logged(spdlog::level::info, "receive goals,goals_queue_ size is 2"));

  ASSERT_EQ(task_.nextGoal(), TaskState::CONTINUE);
  const auto approach = *task_.currentGoal();
  EXPECT_EQ(approach.index, 1);
  EXPECT_EQ(approach.mode, Goal::NAVIGATION);
  EXPECT_DOUBLE_EQ(approach.pose.pose.position.x, 1.5);
  EXPECT_DOUBLE_EQ(approach.pose.pose.position.y, 2.0);
  EXPECT_EQ(approach.pose.pose.position.z, 0.0);
  EXPECT_EQ(approach.pose.pose.orientation, quaternion(0, 0, 1, 6.123233995736766e-17));
  EXPECT_EQ(approach.pose.header.frame_id, "map");
  EXPECT_EQ(entry<int>("run_mode"), Goal::NAVIGATION);
  EXPECT_EQ(entry<PoseList>("goal_poses"), PoseList{approach.pose});
  EXPECT_TRUE(entry<bool>("new_goal"));
  // The tree reads the run mode only: no goal mode and no action id for this task.
  EXPECT_FALSE(hasEntry("goal_mode"));
  EXPECT_FALSE(hasEntry("action_id"));
  EXPECT_FALSE(hasEntry("action_id_result"));

  ASSERT_EQ(task_.nextGoal(), TaskState::CONTINUE);
  const auto dock = *task_.currentGoal();
  EXPECT_EQ(dock.index, 1);
  EXPECT_EQ(dock.mode, Goal::NAVIGATIONPID);
  EXPECT_EQ(dock.pose.pose, goal_->goal_poses.front().pose);
  EXPECT_EQ(entry<int>("run_mode"), Goal::NAVIGATIONPID);

  EXPECT_EQ(task_.nextGoal(), TaskState::COMPLETED);
  EXPECT_EQ(entry<int>("run_mode"), -1);
}

TEST_F(CombNavTaskTest, ApproachPoseFollowsTheGoalHeading)
{
  goal_->goal_poses = {poseAt(1, 2, M_PI / 2)};
  goal_->goal_poses.front().pose.position.z = 0.3;
  ASSERT_TRUE(task_.updateQueue(goal_));
  ASSERT_EQ(task_.nextGoal(), TaskState::CONTINUE);
  const auto & approach = task_.currentGoal()->pose.pose;
  EXPECT_NEAR(approach.position.x, 1.0, 1e-12);
  EXPECT_NEAR(approach.position.y, 2.5, 1e-12);
  EXPECT_EQ(approach.position.z, 0.0);
  EXPECT_NEAR(std::abs(yawOf(approach.orientation)), M_PI / 2, 1e-12);
  EXPECT_LT(yawOf(approach.orientation), 0.0);
}

TEST_F(CombNavTaskTest, OnlyOneValidPoseIsAccepted)
{
  ZeroVelocityProbe zero_velocity;
  goal_->goal_poses = {poseAt(1, 2), poseAt(3, 4)};
  EXPECT_EQ(
    task_.startTask(
      goal_, [] {}, zero_velocity.communicator()),
    TaskState::COMPLETED);
  EXPECT_EQ(zero_velocity.count(), 1);
  EXPECT_FALSE(entry<bool>("path_updated"));
  EXPECT_TRUE(linesAt(spdlog::level::err).empty());

  goal_->goal_poses = {poseAt(1, 2)};
  goal_->goal_poses.front().pose.orientation = rotationAbout(0, 1, 0, M_PI / 2);
  EXPECT_FALSE(task_.updateQueue(goal_));
  EXPECT_EQ(linesAt(spdlog::level::err).size(), 1U);
  EXPECT_EQ(task_.nextGoal(), TaskState::COMPLETED);
}

class NavigationForDynamicCoverageTaskTest : public TaskTest
{
protected:
  std::shared_ptr<Goal> goal_ = makeGoal(Goal::NAVIGATION4DYNAMICCOVERAGE);
  NavigationForDynamicCoverageTask task_{blackboard_, &tree_};
};

TEST_F(NavigationForDynamicCoverageTaskTest, DrivesToTheFirstPointOfTheFirstZone)
{
  geometry_msgs::msg::Polygon zone;
  zone.points = {point32(3, 4, 1.5F), point32(5, 4), point32(5, 6, -2.0F)};
  geometry_msgs::msg::Polygon other_zone;
  other_zone.points = {point32(9, 9)};
  goal_->goal_zones = {zone, other_zone};

  ASSERT_TRUE(task_.updateQueue(goal_));
  EXPECT_TRUE(entry<bool>("path_updated"));
  EXPECT_TRUE(logged(spdlog::level::info, "navi for dynamic receive goals,goals_queue_ size is 1"));

  ASSERT_EQ(task_.nextGoal(), TaskState::CONTINUE);
  const auto goal = *task_.currentGoal();
  EXPECT_EQ(goal.index, 1);
  EXPECT_EQ(goal.mode, Goal::NAVIGATION4DYNAMICCOVERAGE);
  EXPECT_EQ(goal.pose.pose.position.x, 3.0);
  EXPECT_EQ(goal.pose.pose.position.y, 4.0);
  EXPECT_EQ(goal.pose.pose.orientation, quaternion(0, 0, 0, 1));
  EXPECT_EQ(goal.pose.header.frame_id, "map");
  EXPECT_EQ(
    entry<PointList>("goal_zone"), (PointList{point32(3, 4), point32(5, 4), point32(5, 6)}));
  EXPECT_EQ(entry<std_msgs::msg::Int16>("goal_mode").data, Goal::NAVIGATION4DYNAMICCOVERAGE);
  EXPECT_EQ(entry<std_msgs::msg::Int32>("action_id").data, 42);
  EXPECT_EQ(entry<PoseList>("goal_poses"), PoseList{goal.pose});
  EXPECT_TRUE(logged(spdlog::level::info, "goal_mode_set: 200 goal_zone size: 3"));

  EXPECT_EQ(task_.nextGoal(), TaskState::COMPLETED);
}

TEST_F(NavigationForDynamicCoverageTaskTest, EmptyZonesAreRejected)
{
  const std::string error =
    "Aborting on goal because it was sent with an empty goal_zones, error code is 101100010";
  EXPECT_FALSE(task_.updateQueue(goal_));
  goal_->goal_zones.resize(1);
  EXPECT_FALSE(task_.updateQueue(goal_));
  EXPECT_EQ(linesAt(spdlog::level::err), (std::vector<std::string>{error, error}));
  EXPECT_FALSE(entry<bool>("path_updated"));
  EXPECT_EQ(task_.nextGoal(), TaskState::COMPLETED);
}

}  // namespace
}  // namespace bt_navigator::test

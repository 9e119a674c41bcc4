#include "comb_nav_task.hpp"

#include <cmath>

#include <tf2/LinearMath/Matrix3x3.h>
#include <tf2/LinearMath/Quaternion.h>

#include "blackboard_keys.hpp"
#include "goal_pose_validation.hpp"
#include "logging/logger.hpp"

namespace bt_navigator
{

namespace
{

constexpr double kApproachDistance = 0.5;

/// The pose `kApproachDistance` ahead of `goal` along its heading, turned to face the goal.
geometry_msgs::msg::PoseStamped approachPoseFor(const geometry_msgs::msg::PoseStamped & goal)
{
  const auto & orientation = goal.pose.orientation;
  const tf2::Quaternion goal_rotation(orientation.x, orientation.y, orientation.z, orientation.w);
  double yaw = 0.0;
  double pitch = 0.0;
  double roll = 0.0;
  tf2::Matrix3x3(goal_rotation).getEulerYPR(yaw, pitch, roll);
  // A half turn about the vertical axis (the quaternion of yaw = pi).
  const tf2::Quaternion half_turn(0.0, 0.0, 1.0, 6.123233995736766e-17);
  const tf2::Quaternion facing_back = goal_rotation * half_turn;

  geometry_msgs::msg::PoseStamped approach;
  approach.pose.position.x = goal.pose.position.x + kApproachDistance * std::cos(yaw);
  approach.pose.position.y = goal.pose.position.y + kApproachDistance * std::sin(yaw);
  approach.pose.orientation.x = facing_back.x();
  approach.pose.orientation.y = facing_back.y();
  approach.pose.orientation.z = facing_back.z();
  approach.pose.orientation.w = facing_back.w();
  return approach;
}

}  // namespace

bool CombNavTask::updateQueue(const GoalConstPtr & goal)
{
  goals_queue_.clear();
  if (goal->goal_poses.size() != 1) {
    return false;
  }
  const auto & goal_pose = goal->goal_poses.front();
  if (!checkGoalOrientation(goal_pose)) {
    return false;
  }
  const auto approach_pose = approachPoseFor(goal_pose);
  goals_queue_.push_back(TaskGoal{1, approach_pose, Goal::NAVIGATION, {}});
  goals_queue_.push_back(TaskGoal{1, goal_pose, Goal::NAVIGATIONPID, {}});
  base_robot_.printPose(approach_pose, "nav pose is ");
  base_robot_.printPose(goal_pose, "pid goal pose is ");

  keys::set(*blackboard_, keys::kPathUpdated, true);
  LOG_INFO("receive goals,goals_queue_ size is {}", goals_queue_.size());
  return true;
}

TaskState CombNavTask::nextGoal() { return handOutNextGoal(goals_queue_, kGoalPoses); }

}  // namespace bt_navigator

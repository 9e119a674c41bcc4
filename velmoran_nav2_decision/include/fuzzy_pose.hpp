#pragma once

#include <geometry_msgs/msg/pose.hpp>

namespace bt_navigator
{

/// The robot's pose expressed in the frame of a goal pose, flattened to the floor.
struct FuzzyPose
{
  /// x and y of the relative translation, z = 0, and the relative orientation.
  geometry_msgs::msg::Pose pose;
  double yaw{0.0};
};

/// inverse(goal) * robot, both taken as rigid transforms; quaternions need not be normalised.
FuzzyPose fuzzyPoseAgainstGoal(
  const geometry_msgs::msg::Pose & goal, const geometry_msgs::msg::Pose & robot);

/// Yaw of a quaternion, robust near the gimbal-lock pitch of +-90 degrees.
double yawOf(const geometry_msgs::msg::Quaternion & q);

}  // namespace bt_navigator

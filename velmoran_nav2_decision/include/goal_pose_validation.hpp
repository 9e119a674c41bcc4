#pragma once

#include <geometry_msgs/msg/pose_stamped.hpp>
#include <geometry_msgs/msg/quaternion.hpp>

namespace bt_navigator
{

/// True when `q` is finite, not close to zero, and turns about the vertical axis only: the robot
/// drives on the floor, so a goal that tilts its vertical axis cannot be reached.
bool isQuaternionValid(const geometry_msgs::msg::Quaternion & q);

/// isQuaternionValid on the pose's orientation; logs the goal error when it fails.
bool checkGoalOrientation(const geometry_msgs::msg::PoseStamped & pose);

}  // namespace bt_navigator

#pragma once

#include <string>

#include <geometry_msgs/msg/pose_stamped.hpp>
#include <geometry_msgs/msg/quaternion.hpp>
#include <velmoran_protocol/action/planner.hpp>

namespace bt_navigator
{

/// True when `q` is finite, not close to zero, and turns about the vertical axis only: the robot
/// drives on the floor, so a goal that tilts its vertical axis cannot be reached.
bool isQuaternionValid(const geometry_msgs::msg::Quaternion & q);

/// isQuaternionValid on the pose's orientation; logs the goal error when it fails.
bool checkGoalOrientation(const geometry_msgs::msg::PoseStamped & pose);

/// The first number of `goal` that no task can drive by, with its field and index, for instance
/// "goal_poses[1].pose.position.x is nan"; empty when there is none. Every number must be finite,
/// and every orientation a unit quaternion, except the orientations of goal_poses for the run
/// modes whose task judges them with isQuaternionValid.
std::string findUnusableNumber(const velmoran_protocol::action::Planner::Goal & goal);

}  // namespace bt_navigator

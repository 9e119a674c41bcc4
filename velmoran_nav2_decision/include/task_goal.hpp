#pragma once

#include <cstdint>
#include <vector>

#include <geometry_msgs/msg/point32.hpp>
#include <geometry_msgs/msg/pose_stamped.hpp>

namespace bt_navigator
{

/// One goal of a task's queue, handed to the tree by nextGoal.
struct TaskGoal
{
  /// Reported to the client as the result's index; usually the 1-based position of the pose.
  int32_t index{-1};
  geometry_msgs::msg::PoseStamped pose;
  /// Run mode the tree applies to this goal.
  int32_t mode{-1};
  /// Points of the zone that belongs to the goal; empty for point goals.
  std::vector<geometry_msgs::msg::Point32> zone;
};

}  // namespace bt_navigator

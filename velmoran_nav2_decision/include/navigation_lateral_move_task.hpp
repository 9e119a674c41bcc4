#pragma once

#include <geometry_msgs/msg/pose_stamped.hpp>

#include "robot_task_base.hpp"

namespace bt_navigator
{

/// A short relative move done by the local planner alone: the target goes to the tree through
/// "local_result", both as received in the robot's frame and converted to "map".
class NavigationLateralMoveTask : public RobotTaskBase
{
public:
  using RobotTaskBase::RobotTaskBase;

  bool updateQueue(const GoalConstPtr & goal) override;
  TaskState nextGoal() override;

private:
  GoalQueue goals_queue_;
  /// The last target, converted to "map".
  geometry_msgs::msg::PoseStamped target_pose_;
  /// The last target as received, in the robot's frame.
  geometry_msgs::msg::PoseStamped relative_pose_;
};

}  // namespace bt_navigator

#pragma once

#include <vector>

#include <geometry_msgs/msg/point32.hpp>

#include "robot_task_base.hpp"

namespace bt_navigator
{

/// Drives to the first point of the goal's first zone and hands the zone's outline to the tree.
class NavigationForDynamicCoverageTask : public RobotTaskBase
{
public:
  using RobotTaskBase::RobotTaskBase;

  bool updateQueue(const GoalConstPtr & goal) override;
  TaskState nextGoal() override;

private:
  GoalQueue goals_queue_;
  std::vector<geometry_msgs::msg::Point32> zone_points_;
};

}  // namespace bt_navigator

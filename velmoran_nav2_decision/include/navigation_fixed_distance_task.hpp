#pragma once

#include "robot_task_base.hpp"

namespace bt_navigator
{

/// Drives straight ahead by the goal's distance, keeping the robot's heading.
class NavigationFixedDistanceTask : public RobotTaskBase
{
public:
  using RobotTaskBase::RobotTaskBase;

  bool updateQueue(const GoalConstPtr & goal) override;
  TaskState nextGoal() override;

private:
  GoalQueue goals_queue_;
};

}  // namespace bt_navigator

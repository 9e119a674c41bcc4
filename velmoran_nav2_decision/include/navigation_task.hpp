#pragma once

#include "robot_task_base.hpp"

namespace bt_navigator
{

/// Drives to the goal's poses one after the other (plain navigation and its variants).
class NavigationTask : public RobotTaskBase
{
public:
  using RobotTaskBase::RobotTaskBase;

  bool updateQueue(const GoalConstPtr & goal) override;
  TaskState nextGoal() override;

private:
  GoalQueue goals_queue_;
};

}  // namespace bt_navigator

#pragma once

#include "robot_task_base.hpp"

namespace bt_navigator
{

/// Drives to poses given in the robot's own frame, converted to "map" when the job starts.
class NavigationPoseOffsetTask : public RobotTaskBase
{
public:
  using RobotTaskBase::RobotTaskBase;

  bool updateQueue(const GoalConstPtr & goal) override;
  TaskState nextGoal() override;

private:
  GoalQueue goals_queue_;
};

}  // namespace bt_navigator

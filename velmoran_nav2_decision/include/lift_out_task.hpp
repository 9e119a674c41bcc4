#pragma once

#include "robot_task_base.hpp"

namespace bt_navigator
{

/// Leaves an elevator car (or drives to its waiting area), with the costmaps switched to the
/// elevator's laser layer until the job ends.
class LiftOutTask : public RobotTaskBase
{
public:
  using RobotTaskBase::RobotTaskBase;

  bool updateQueue(const GoalConstPtr & goal) override;
  TaskState nextGoal() override;
  /// Switches the costmaps back to their usual layers.
  void exit() override;

private:
  GoalQueue goals_queue_;
};

}  // namespace bt_navigator

#pragma once

#include <velmoran_tools/base_robot.hpp>

#include "robot_task_base.hpp"

namespace bt_navigator
{

/// Returns to the charger: first to an approach pose in front of the goal, facing it, then onto
/// the goal with the precise controller.
class CombNavTask : public RobotTaskBase
{
public:
  using RobotTaskBase::RobotTaskBase;

  bool updateQueue(const GoalConstPtr & goal) override;
  TaskState nextGoal() override;

private:
  GoalQueue goals_queue_;
  velmoran_tools::BaseRobot base_robot_;
};

}  // namespace bt_navigator

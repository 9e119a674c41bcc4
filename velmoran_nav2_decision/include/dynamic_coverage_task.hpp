#pragma once

#include <velmoran_tools/base_robot.hpp>

#include "robot_task_base.hpp"

namespace bt_navigator
{

/// Hands the goal's zones to the tree in one goal; the tree covers them in one run.
class DynamicCoverageTask : public RobotTaskBase
{
public:
  using RobotTaskBase::RobotTaskBase;

  bool updateQueue(const GoalConstPtr & goal) override;
  TaskState nextGoal() override;

private:
  velmoran_tools::BaseRobot base_robot_;
};

}  // namespace bt_navigator

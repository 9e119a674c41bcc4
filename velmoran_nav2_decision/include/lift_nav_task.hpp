#pragma once

#include <vector>

#include <geometry_msgs/msg/point32.hpp>

#include "robot_task_base.hpp"

namespace bt_navigator
{

/// Drives into an elevator car, with the costmaps switched to the elevator's laser layer for
/// the ride and the car's outline handed to the tree.
class LiftNavTask : public RobotTaskBase
{
public:
  using RobotTaskBase::RobotTaskBase;

  bool updateQueue(const GoalConstPtr & goal) override;
  TaskState nextGoal() override;
  void feedback(const FeedbackSender & send) override;
  /// Switches the costmaps back to their usual layers.
  void exit() override;

private:
  GoalQueue goals_queue_;
  /// Outline of the car last handed out.
  std::vector<geometry_msgs::msg::Point32> lift_frame_;
};

}  // namespace bt_navigator

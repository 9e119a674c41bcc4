#pragma once

#include <optional>

#include <geometry_msgs/msg/pose_stamped.hpp>

#include "robot_task_base.hpp"

namespace bt_navigator
{

/// Hands the tree all recommended work points of the arm at once; ends the job without moving
/// when, after a previous arm job, the robot already stands at one of them.
class NavigationWithArmTask : public RobotTaskBase
{
public:
  using RobotTaskBase::RobotTaskBase;

  bool updateQueue(const GoalConstPtr & goal) override;
  /// Keeps a copy: the job loop's pose record does not outlive the job, while the task may.
  bool setCurrentPose(const geometry_msgs::msg::PoseStamped * pose) override;
  TaskState nextGoal() override;

private:
  /// True when, right after another arm job, the robot stands within the threshold of a
  /// recommended point.
  bool nearRecommendedPoint(
    const geometry_msgs::msg::PoseStamped & current_pose, int previous_run_mode) const;

  /// The robot pose read at the start of the job; none for a task that took over a running job.
  std::optional<geometry_msgs::msg::PoseStamped> current_pose_;
  GoalQueue recommand_work_points_;
  /// Squared distance in square metres.
  float recommand_point_distance_square_thr_{0.0004F};
};

}  // namespace bt_navigator

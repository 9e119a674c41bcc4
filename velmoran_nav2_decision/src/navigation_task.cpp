#include "navigation_task.hpp"

#include "blackboard_keys.hpp"
#include "goal_pose_validation.hpp"
#include "logging/logger.hpp"

namespace bt_navigator
{

bool NavigationTask::updateQueue(const GoalConstPtr & goal)
{
  goals_queue_.clear();
  action_id_ = goal->action_id;
  int32_t index = 0;
  for (const auto & pose : goal->goal_poses) {
    const auto & position = pose.pose.position;
    const auto & orientation = pose.pose.orientation;
    LOG_INFO("{}  {}  {} {}", position.x, position.y, orientation.w, orientation.z);
    if (!checkGoalOrientation(pose)) {
      return false;
    }
    goals_queue_.push_back(TaskGoal{++index, pose, goal->run_mode, {}});
  }
  if (!goals_queue_.empty()) {
    keys::set(*blackboard_, keys::kPathUpdated, true);
  }
  LOG_INFO("receive goals,goals_queue_ size is {}", goals_queue_.size());
  return true;
}

TaskState NavigationTask::nextGoal()
{
  const TaskState state = handOutNextGoal(goals_queue_, kAllGoalEntries);
  if (state == TaskState::CONTINUE) {
    LOG_INFO(
      "----------------------> navigation-task run mode is {}, actionid {}", goal_mode_,
      action_id_);
  }
  return state;
}

}  // namespace bt_navigator

#include "navigation_fixed_distance_task.hpp"

#include "blackboard_keys.hpp"
#include "logging/logger.hpp"
#include "relative_pose_converter.hpp"

namespace bt_navigator
{

bool NavigationFixedDistanceTask::updateQueue(const GoalConstPtr & goal)
{
  goals_queue_.clear();
  action_id_ = goal->action_id;
  const RelativePoseConverter converter(*blackboard_);

  geometry_msgs::msg::Pose ahead;
  ahead.position.x = static_cast<double>(goal->distance);
  goals_queue_.push_back(TaskGoal{1, converter.toMap(ahead), goal->run_mode, {}});

  keys::set(*blackboard_, keys::kPathUpdated, true);
  LOG_INFO("receive goals,goals_queue_ size is {}", goals_queue_.size());
  return true;
}

TaskState NavigationFixedDistanceTask::nextGoal()
{
  const TaskState state = handOutNextGoal(
    goals_queue_, kAllGoalEntries,
    {"NavigationFixedDistanceTask::nextGoal",
     "NavigationFixedDistanceTask::nextGoal All tasks completed,queue empty", "nextGoal"});
  if (state == TaskState::CONTINUE) {
    LOG_INFO(
      "----------------------> NavigationFixedDistanceTask run mode is {}, action id {}",
      goal_mode_, action_id_);
  }
  return state;
}

}  // namespace bt_navigator

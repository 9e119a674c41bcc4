#include "navigation_pose_offset_task.hpp"

#include "blackboard_keys.hpp"
#include "logging/logger.hpp"
#include "relative_pose_converter.hpp"

namespace bt_navigator
{

namespace
{

/// Every goal of this task reports this index, whatever its position in the goal.
constexpr int32_t kPoseOffsetIndex = 503;

}  // namespace

bool NavigationPoseOffsetTask::updateQueue(const GoalConstPtr & goal)
{
  goals_queue_.clear();
  action_id_ = goal->action_id;
  const RelativePoseConverter converter(*blackboard_);
  if (goal->goal_poses.empty()) {
    LOG_WARN("goal_pose is empty");
    return false;
  }
  for (const auto & pose : goal->goal_poses) {
    goals_queue_.push_back(
      TaskGoal{kPoseOffsetIndex, converter.toMap(pose.pose), goal->run_mode, {}});
  }
  keys::set(*blackboard_, keys::kPathUpdated, true);
  LOG_INFO("receive goals,goals_queue_ size is {}", goals_queue_.size());
  return true;
}

TaskState NavigationPoseOffsetTask::nextGoal()
{
  const TaskState state = handOutNextGoal(
    goals_queue_, kAllGoalEntries,
    {"NavigationPoseOffsetTask::nextGoal",
     "NavigationPoseOffsetTask::nextGoal All tasks completed,queue empty", "nextGoal"});
  if (state == TaskState::CONTINUE) {
    LOG_INFO(
      "----------------------> NavigationPoseOffsetTask run mode is {}, action id {}", goal_mode_,
      action_id_);
  }
  return state;
}

}  // namespace bt_navigator

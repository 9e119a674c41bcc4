#include "lift_out_task.hpp"

#include "blackboard_keys.hpp"
#include "costmap_layer_switch.hpp"
#include "goal_pose_validation.hpp"
#include "logging/logger.hpp"

namespace bt_navigator
{

bool LiftOutTask::updateQueue(const GoalConstPtr & goal)
{
  goals_queue_.clear();
  if (goal->goal_poses.size() != 1) {
    return false;
  }
  const auto & goal_pose = goal->goal_poses.front();
  if (!checkGoalOrientation(goal_pose)) {
    return false;
  }
  goals_queue_.push_back(TaskGoal{1, goal_pose, goal->run_mode, {}});
  keys::set(*blackboard_, keys::kPathUpdated, true);
  LOG_INFO("receive goals,goals_queue_ size is {}", goals_queue_.size());

  switchCostmapLayers(keys::get(*blackboard_, keys::kNode), CostmapLayers::kLiftRide);
  return true;
}

TaskState LiftOutTask::nextGoal() { return handOutNextGoal(goals_queue_, kGoalMode | kGoalPoses); }

void LiftOutTask::exit()
{
  switchCostmapLayers(keys::get(*blackboard_, keys::kNode), CostmapLayers::kDefault);
}

}  // namespace bt_navigator

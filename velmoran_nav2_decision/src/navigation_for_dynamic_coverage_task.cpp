#include "navigation_for_dynamic_coverage_task.hpp"

#include "blackboard_keys.hpp"
#include "logging/logger.hpp"

namespace bt_navigator
{

namespace
{

constexpr int kEmptyGoalZonesError = 101100010;

}  // namespace

bool NavigationForDynamicCoverageTask::updateQueue(const GoalConstPtr & goal)
{
  goals_queue_.clear();
  action_id_ = goal->action_id;
  if (goal->goal_zones.empty() || goal->goal_zones.front().points.empty()) {
    LOG_ERROR(
      "Aborting on goal because it was sent with an empty goal_zones, error code is {}",
      kEmptyGoalZonesError);
    return false;
  }
  const auto & zone = goal->goal_zones.front().points;

  geometry_msgs::msg::PoseStamped zone_entry;
  zone_entry.pose.position.x = zone.front().x;
  zone_entry.pose.position.y = zone.front().y;
  goals_queue_.push_back(TaskGoal{1, zone_entry, goal->run_mode, {}});

  for (const auto & point : zone) {
    auto & zone_point = zone_points_.emplace_back(point);
    zone_point.z = 0.0F;
  }

  keys::set(*blackboard_, keys::kPathUpdated, true);
  LOG_INFO("navi for dynamic receive goals,goals_queue_ size is {}", goals_queue_.size());
  return true;
}

TaskState NavigationForDynamicCoverageTask::nextGoal()
{
  const TaskState state = handOutNextGoal(goals_queue_, kAllGoalEntries);
  if (state == TaskState::CONTINUE) {
    LOG_INFO(
      "goal_mode_set: {} goal_zone size: {}", static_cast<int16_t>(goal_mode_),
      zone_points_.size());
    keys::set(*blackboard_, keys::kGoalZone, zone_points_);
  }
  return state;
}

}  // namespace bt_navigator

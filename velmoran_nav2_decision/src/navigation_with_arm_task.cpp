#include "navigation_with_arm_task.hpp"

#include <limits>
#include <vector>

#include "blackboard_keys.hpp"
#include "logging/logger.hpp"

namespace bt_navigator
{

bool NavigationWithArmTask::updateQueue(const GoalConstPtr & goal)
{
  recommand_point_distance_square_thr_ =
    keys::get(*blackboard_, keys::kRecommandPointDistanceSquareThr);
  recommand_work_points_.clear();
  action_id_ = goal->action_id;
  if (goal->recommand_work_points.empty()) {
    LOG_WARN("recommand_work_points is empty");
    return false;
  }
  int32_t index = 0;
  for (const auto & point : goal->recommand_work_points) {
    recommand_work_points_.push_back(TaskGoal{++index, point, Goal::NAVIGATION_WITH_ARM, {}});
  }
  keys::set(*blackboard_, keys::kPathUpdated, true);
  LOG_INFO("receive goals, recommand_work_points_ size is {}", recommand_work_points_.size());
  return true;
}

bool NavigationWithArmTask::setCurrentPose(const geometry_msgs::msg::PoseStamped * pose)
{
  current_pose_.reset();
  if (pose != nullptr) {
    current_pose_ = *pose;
  }
  return true;
}

TaskState NavigationWithArmTask::nextGoal()
{
  const NextGoalTexts texts{
    "NavigationWithArmTask::nextGoal",
    "NavigationWithArmTask::nextGoal All tasks completed,queue empty", "nextGoal Cancel"};
  if (finishIfQueueEmpty(recommand_work_points_, texts)) {
    return TaskState::COMPLETED;
  }
  const int previous_run_mode = keys::get(*blackboard_, keys::kPreviousRunMode);
  if (current_pose_ && nearRecommendedPoint(*current_pose_, previous_run_mode)) {
    return TaskState::COMPLETED;
  }

  std::vector<geometry_msgs::msg::PoseStamped> poses;
  poses.reserve(recommand_work_points_.size());
  for (const auto & point : recommand_work_points_) {
    poses.push_back(point.pose);
  }
  handOutFront(recommand_work_points_, kGoalMode | kActionId, texts);
  recommand_work_points_.clear();
  LOG_INFO(
    "----------------------> NavigationWithArmTask run mode is {}, action id {}", goal_mode_,
    action_id_);
  writeGoalPoses(poses);
  return TaskState::CONTINUE;
}

bool NavigationWithArmTask::nearRecommendedPoint(
  const geometry_msgs::msg::PoseStamped & current_pose, int previous_run_mode) const
{
  const auto & position = current_pose.pose.position;
  LOG_INFO(
    "NavigationWithArmTask::nextGoal current_pose(x: {}, y: {}), previous_run_mode: {}, "
    "recommand_point_distance_square_thr: {}",
    position.x, position.y, previous_run_mode, recommand_point_distance_square_thr_);
  if (previous_run_mode != Goal::NAVIGATION_WITH_ARM) {
    LOG_INFO(
      "NavigationWithArmTask::nextGoal previous_run_mode is {}, skip near-goal check for the "
      "first recommend task",
      previous_run_mode);
    return false;
  }

  float nearest_square = std::numeric_limits<float>::max();
  size_t nearest_index = 0;
  size_t index = 0;
  for (const auto & point : recommand_work_points_) {
    const double dx = position.x - point.pose.pose.position.x;
    const double dy = position.y - point.pose.pose.position.y;
    // Single precision, as the threshold is.
    const float distance_square = static_cast<float>(dx * dx) + static_cast<float>(dy * dy);
    if (distance_square < nearest_square) {
      nearest_square = distance_square;
      nearest_index = index;
    }
    if (nearest_square <= recommand_point_distance_square_thr_) {
      LOG_INFO(
        "NavigationWithArmTask::nextGoal the robot near recommend point[{}], distance: {}",
        nearest_index, nearest_square);
      return true;
    }
    ++index;
  }
  LOG_INFO(
    "NavigationWithArmTask::nextGoal nearest recommend point index: {}, distance: {}",
    nearest_index, nearest_square);
  return false;
}

}  // namespace bt_navigator

#include "navigation_lateral_move_task.hpp"

#include <stdexcept>

#include <velmoran_nav2_protocol/action/local_planning.hpp>

#include "blackboard_keys.hpp"
#include "logging/logger.hpp"
#include "relative_pose_converter.hpp"

namespace bt_navigator
{

namespace
{

/// Every goal of this task reports this index, whatever its position in the goal.
constexpr int32_t kLateralMoveIndex = 402;

}  // namespace

bool NavigationLateralMoveTask::updateQueue(const GoalConstPtr & goal)
{
  goals_queue_.clear();
  action_id_ = goal->action_id;
  const auto root_blackboard = tree_ != nullptr ? tree_->rootBlackboard() : nullptr;
  if (!root_blackboard) {
    throw std::logic_error("NavigationLateralMoveTask needs a loaded tree with a root blackboard");
  }
  keys::set(*root_blackboard, keys::kPathUpdated, true);

  const RelativePoseConverter converter(*blackboard_);
  if (goal->goal_poses.empty()) {
    LOG_WARN("goal_pose is empty");
    return false;
  }
  for (const auto & pose : goal->goal_poses) {
    goals_queue_.push_back(
      TaskGoal{kLateralMoveIndex, converter.toMap(pose.pose), goal->run_mode, {}});
  }
  target_pose_ = goals_queue_.back().pose;
  relative_pose_ = goal->goal_poses.back();

  keys::set(*blackboard_, keys::kPathUpdated, true);
  LOG_INFO("NavigationLateralMoveTask receive goals,goals_queue_ size is {}", goals_queue_.size());
  return true;
}

TaskState NavigationLateralMoveTask::nextGoal()
{
  NextGoalTexts texts;
  texts.queue_size = "nextGoal Cancel";
  const TaskState state = handOutNextGoal(goals_queue_, 0U, texts);
  if (state == TaskState::CONTINUE) {
    velmoran_nav2_protocol::action::LocalPlanning_Result local_result;
    local_result.target_poses = {relative_pose_, target_pose_};
    local_result.use_odometry = goal_mode_ == Goal::NAVIGATION_LATERAL_MOVE_WITH_ODOM;
    keys::set(*blackboard_, keys::kLocalResult, local_result);
  }
  return state;
}

}  // namespace bt_navigator

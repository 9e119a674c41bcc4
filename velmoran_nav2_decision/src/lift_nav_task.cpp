#include "lift_nav_task.hpp"

#include <geometry_msgs/msg/polygon.hpp>

#include "blackboard_keys.hpp"
#include "costmap_layer_switch.hpp"
#include "goal_pose_validation.hpp"
#include "logging/logger.hpp"

namespace bt_navigator
{

bool LiftNavTask::updateQueue(const GoalConstPtr & goal)
{
  goals_queue_.clear();
  if (goal->goal_poses.size() != 1) {
    return false;
  }
  const auto & goal_pose = goal->goal_poses.front();
  if (!checkGoalOrientation(goal_pose)) {
    return false;
  }
  goals_queue_.push_back(TaskGoal{1, goal_pose, goal->run_mode, goal->lift_frame});
  keys::set(*blackboard_, keys::kPathUpdated, true);
  LOG_INFO("receive goals,goals_queue_ size is {}", goals_queue_.size());

  switchCostmapLayers(keys::get(*blackboard_, keys::kNode), CostmapLayers::kLiftRide);
  return true;
}

TaskState LiftNavTask::nextGoal()
{
  const TaskState state = handOutNextGoal(goals_queue_, kGoalMode | kGoalPoses);
  if (state == TaskState::CONTINUE) {
    if (!current_goal_->zone.empty()) {
      lift_frame_ = current_goal_->zone;
    }
    geometry_msgs::msg::Polygon lift_inner_frame;
    lift_inner_frame.points = lift_frame_;
    keys::set(*blackboard_, keys::kLiftInnerFrame, lift_inner_frame);
  }
  return state;
}

void LiftNavTask::feedback(const FeedbackSender & send)
{
  if (goals_queue_.empty()) {
    return;
  }
  auto feedback_msg = std::make_shared<Feedback>();
  feedback_msg->index = 1;
  LOG_INFO("nextGoal feedback_msg");
  send(feedback_msg);
}

void LiftNavTask::exit()
{
  switchCostmapLayers(keys::get(*blackboard_, keys::kNode), CostmapLayers::kDefault);
}

}  // namespace bt_navigator

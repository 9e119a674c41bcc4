#include "robot_task_base.hpp"

#include <utility>

#include <std_msgs/msg/int16.hpp>
#include <std_msgs/msg/int32.hpp>
#include <velmoran_nav2_protocol/action/global_planning.hpp>
#include <velmoran_nav2_protocol/msg/movement_constraint.hpp>

#include "blackboard_keys.hpp"
#include "logging/logger.hpp"

namespace bt_navigator
{

namespace
{

using Planner = velmoran_protocol::action::Planner;
using MovementConstraint = velmoran_nav2_protocol::msg::MovementConstraint;

MovementConstraint movementConstraintOf(int32_t run_mode)
{
  const auto constraint = [](bool first, bool second, bool third) {
    MovementConstraint result;
    result.first_constraint = first;
    result.second_constraint = second;
    result.third_constraint = third;
    return result;
  };
  switch (run_mode) {
    case Planner::Goal::NAVIGATION4DYNAMICCOVERAGE:
    case Planner::Goal::NARROW_SPACE_NAVIGATION:
      return constraint(false, true, true);
    case Planner::Goal::NAVIGATION_WITH_ARM:
    case Planner::Goal::NAVIGATION_ALLOW_HORIZONTAL_MOVEMENT:
      return constraint(true, false, true);
    case Planner::Goal::ENTER_CUBICLE:
      return constraint(true, false, false);
    case Planner::Goal::EXIT_CUBICLE:
      return constraint(true, true, false);
    default:
      return constraint(true, true, true);
  }
}

std_msgs::msg::Int32 int32Message(int32_t value)
{
  std_msgs::msg::Int32 message;
  message.data = value;
  return message;
}

/// Points as the planners take them: on the floor.
std::vector<geometry_msgs::msg::Point32> flattened(std::vector<geometry_msgs::msg::Point32> points)
{
  for (auto & point : points) {
    point.z = 0.0F;
  }
  return points;
}

}  // namespace

RobotTaskBase::RobotTaskBase(BT::Blackboard::Ptr blackboard, BT::Tree * tree)
: blackboard_(std::move(blackboard)), current_goal_(std::make_shared<TaskGoal>()), tree_(tree)
{
}

bool RobotTaskBase::updateQueue(const GoalConstPtr & /*goal*/) { return true; }

bool RobotTaskBase::setCurrentPose(const geometry_msgs::msg::PoseStamped * /*pose*/)
{
  return true;
}

TaskState RobotTaskBase::nextGoal() { return static_cast<TaskState>(-1); }

void RobotTaskBase::feedback(const FeedbackSender & /*send*/) {}

void RobotTaskBase::exit() {}

TaskState RobotTaskBase::startTask(
  const GoalConstPtr & goal, const HaltFunction & halt, const CommunicatorPtr & communicator)
{
  halt();  // an empty function raises std::bad_function_call
  if (goal->command == Goal::COMMAND_STOP) {
    communicator->cmd_vel()->publishZeroVelocity();
    return TaskState::FAILED;
  }
  if (goal->command == Goal::COMMAND_KEEP_RUNNING) {
    return TaskState::CONTINUE;
  }
  updateTask(goal);
  if (nextGoal() == TaskState::COMPLETED) {
    communicator->cmd_vel()->publishZeroVelocity();
    return TaskState::COMPLETED;
  }
  return TaskState::SUCCEEDED;
}

void RobotTaskBase::updateTask(const GoalConstPtr & goal)
{
  run_mode_ = goal->run_mode;
  keys::set(*blackboard_, keys::kMaxSpeed, goal->max_speed);
  LOG_INFO("[TaskState] updateTask::max_speed is  {}", goal->max_speed);
  updateQueue(goal);
  keys::set(*blackboard_, keys::kNumberRecoveries, 0);
}

void RobotTaskBase::setMovementConstraint(int32_t run_mode)
{
  keys::set(*blackboard_, keys::kMovementConstraint, movementConstraintOf(run_mode));
}

TaskState RobotTaskBase::handOutNextGoal(
  GoalQueue & queue, unsigned entries, const NextGoalTexts & texts)
{
  if (finishIfQueueEmpty(queue, texts)) {
    return TaskState::COMPLETED;
  }
  handOutFront(queue, entries, texts);
  return TaskState::CONTINUE;
}

bool RobotTaskBase::finishIfQueueEmpty(const GoalQueue & queue, const NextGoalTexts & texts)
{
  LOG_INFO("{}", texts.entry);
  if (!queue.empty()) {
    return false;
  }
  reportAllGoalsDone(texts.queue_empty);
  return true;
}

void RobotTaskBase::handOutFront(GoalQueue & queue, unsigned entries, const NextGoalTexts & texts)
{
  keys::set(*blackboard_, keys::kNewGoal, true);
  LOG_INFO("{} goals_queue_ size is {}", texts.queue_size, queue.size());
  *current_goal_ = std::move(queue.front());
  queue.pop_front();
  current_goal_->pose.header.frame_id = "map";
  goal_mode_ = current_goal_->mode;

  keys::set(*blackboard_, keys::kRunMode, goal_mode_);
  if ((entries & kGoalMode) != 0U) {
    std_msgs::msg::Int16 goal_mode;
    goal_mode.data = static_cast<int16_t>(goal_mode_);
    keys::set(*blackboard_, keys::kGoalMode, goal_mode);
  }
  keys::set(*blackboard_, keys::kCurrentGoal, current_goal_->pose);
  if ((entries & kActionId) != 0U) {
    writeActionId();
  }
  if ((entries & kGoalPoses) != 0U) {
    writeGoalPoses({current_goal_->pose});
  }
}

void RobotTaskBase::reportAllGoalsDone(const char * text)
{
  keys::set(*blackboard_, keys::kRunMode, -1);
  LOG_INFO("{}", text);
}

void RobotTaskBase::writeActionId()
{
  keys::set(*blackboard_, keys::kActionIdResult, int32Message(action_id_));
  keys::set(*blackboard_, keys::kActionId, int32Message(action_id_));
}

void RobotTaskBase::writeGoalPoses(const std::vector<geometry_msgs::msg::PoseStamped> & poses)
{
  keys::set(*blackboard_, keys::kGoalPoses, poses);
}

bool RobotTaskBase::acceptCoverageGoal(const Goal & goal)
{
  if (!goal.goal_zones.empty()) {
    LOG_INFO("goal_zones[0].points.size()={}", goal.goal_zones.front().points.size());
  }
  current_goal_->index = 0;
  action_id_ = goal.action_id;
  covered_points_ = goal.covered_points;
  coverage_mode_ = goal.run_mode;
  goal_zones_ = goal.goal_zones;
  extra_zones_ = goal.extra_zones;
  planner_param_a_ = goal.planner_param_a;
  planner_param_b_ = goal.planner_param_b;
  if (!goal_zones_.empty()) {
    keys::set(*blackboard_, keys::kPathUpdated, true);
  }
  zone_pending_ = true;
  LOG_INFO("receive goal_zones,goal_zones size is {}", goal_zones_.size());
  return true;
}

bool RobotTaskBase::claimPendingZones()
{
  if (!zone_pending_) {
    reportAllGoalsDone("nextGoal All tasks completed,queue empty");
    return false;
  }
  zone_pending_ = false;
  goal_mode_ = coverage_mode_;
  return true;
}

void RobotTaskBase::publishCoverageGoal(std::string plan_id)
{
  keys::set(*blackboard_, keys::kRunMode, goal_mode_);
  writeActionId();

  const auto covered_points = flattened(covered_points_);
  keys::set(*blackboard_, keys::kCoveredPointInputGlobal, covered_points);
  keys::set(*blackboard_, keys::kCoveredPointInputLocal, covered_points);

  velmoran_nav2_protocol::action::GlobalPlanning_Result global_result;
  global_result.goal_zones = goal_zones_;
  global_result.extra_zones = extra_zones_;
  global_result.plan_id = std::move(plan_id);
  global_result.planner_param_a = planner_param_a_;
  global_result.planner_param_b = planner_param_b_;
  keys::set(*blackboard_, keys::kGlobalResult, global_result);
}

}  // namespace bt_navigator

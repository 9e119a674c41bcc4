#include <chrono>
#include <functional>
#include <utility>

#include <nav2_util/robot_utils.hpp>

#include "blackboard_keys.hpp"
#include "goal_pose_validation.hpp"
#include "goal_record_file.hpp"
#include "logging/logger.hpp"
#include "nav_decision.hpp"
#include "robot_task_factory.hpp"

namespace bt_navigator
{

namespace
{

constexpr std::chrono::milliseconds kTreeTickPeriod{10};

}  // namespace

void NavDecision::navigateToPose()
{
  // A stop requested before this job does not end it; one requested from here on does, even
  // while the task is still starting up.
  stop_task_flag_->store(false, std::memory_order_release);
  preempting_goal_refused_ = false;

  const auto job_start = std::chrono::system_clock::now();
  GoalRecordFile goal_record(goal_record_directory_, job_start);

  const auto goal = action_server_->current_goal();
  if (!goal) {
    return;  // the server has logged that no goal is active
  }
  current_task_ = RobotTaskFactory::createTask(goal, blackboard_, &tree_);
  current_task_->setMovementConstraint(goal->run_mode);

  const auto goal_zones = goal->goal_zones;
  LOG_INFO(
    "navigateToPose isNewGoalAvailable, receive goals,run mode is: {}, goal_pose size: {}, goal "
    "zone size: {}",
    goal->run_mode, goal->goal_poses.size(), goal_zones.size());
  if (!goal_zones.empty()) {
    LOG_INFO(
      "goal_zones_from_task is not empty, goal zone [0] size: {}", goal_zones[0].points.size());
  }
  goal_record.writeAndClose(goal->goal_poses);
  if (refuseUnusableGoal(*goal)) {
    failCurrentGoal({}, false);
    return;
  }

  // The task keeps a pointer to this record for the whole job.
  const geometry_msgs::msg::PoseStamped start_pose = currentRobotPose();
  current_task_->setCurrentPose(&start_pose);
  const TaskState start_state = current_task_->startTask(
    goal, std::bind(&NavDecision::haltAllActions, this), communicator_decision_);

  if (start_state == TaskState::COMPLETED) {
    LOG_INFO("new_task->command={}", goal->command);
    result_msg_->index = 0;
    result_msg_->success = true;
    result_msg_->message = "task finished!!!";
    LOG_INFO(
      "succeeded_current receiveGoal, don't need move, current_pose:({}, {})",
      start_pose.pose.position.x, start_pose.pose.position.y);
    action_server_->succeeded_current(result_msg_);
    previous_run_mode_ = goal->run_mode;
    keys::set(*blackboard_, keys::kPreviousRunMode, previous_run_mode_);
    return;
  }

  // A stop command has stopped the robot in startTask; like a stop request, it ends the job as a
  // success without running the tree, which would still drive to the goal the blackboard holds.
  const bool stop_command = start_state == TaskState::FAILED;
  if (!stop_command && !loadBehaviorTree(bt_xml_filename_)) {
    LOG_INFO("terminate_current loadBehaviorTree");
    result_msg_->index = resultIndex();
    result_msg_->success = false;
    result_msg_->message = "loadBehaviorTree failed";
    action_server_->terminate_current(result_msg_);
    return;
  }

  const auto feedback = std::make_shared<Planner::Feedback>();
  const std::function<TaskState(bool &)> on_tick =
    std::bind(&NavDecision::receivedNewGoal, this, feedback, std::placeholders::_1);
  const std::function<bool()> is_canceling = [this]() {
    if (!action_server_) {
      LOG_WARN("Action server unavailable. Canceling.");
      return true;
    }
    if (!action_server_->is_accepting_goals()) {
      LOG_WARN("Action server is inactive. Canceling.");
      return true;
    }
    return action_server_->cancel_requested();
  };

  TaskState job_state = TaskState::SUCCEEDED;
  while (true) {
    if (stop_command || stop_task_flag_->load(std::memory_order_acquire)) {
      LOG_INFO("stop task");
      job_state = TaskState::SUCCEEDED;
      break;
    }
    const auto run_start = std::chrono::system_clock::now();
    job_state = bt_->run(
      &tree_, on_tick, is_canceling, stop_task_flag_, emergency_stop_flag_, kTreeTickPeriod);
    LOG_INFO(
      "Task run time: {} s",
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now() - run_start)
        .count());
    if (job_state == TaskState::CANCELED || preempting_goal_refused_) {
      break;
    }
    current_task_->feedback(std::bind(&NavDecision::plannerFeedback, this, std::placeholders::_1));
    const TaskState next_goal = current_task_->nextGoal();
    LOG_INFO("next task has started");
    haltAllActions();
    if (next_goal != TaskState::CONTINUE) {
      break;
    }
  }
  LOG_INFO("all task has finished");

  const PosePath global_path = updateGlobalPath();
  const geometry_msgs::msg::PoseStamped end_pose = currentRobotPose();
  switch (job_state) {
    case TaskState::SUCCEEDED:
      reportSuccess(goal, end_pose);
      break;
    case TaskState::FAILED:
      if (preempting_goal_refused_) {
        failCurrentGoal({}, false);
      } else {
        reportFailure(global_path);
      }
      break;
    case TaskState::CANCELED:
      reportCancellation(global_path);
      break;
    default:
      break;
  }
  LOG_INFO(
    "behavior tree tick over is_diff: {}, last_run_mode: {}, curr_run_mode: {}, current_pose: ({}, "
    "{})",
    result_msg_->is_diff, previous_run_mode_, goal->run_mode, end_pose.pose.position.x,
    end_pose.pose.position.y);
  previous_run_mode_ = goal->run_mode;
  keys::set(*blackboard_, keys::kPreviousRunMode, previous_run_mode_);
}

TaskState NavDecision::receivedNewGoal(
  const PlannerFeedbackPtr & /*feedback*/, bool & new_goal_received)
{
  if (!action_server_) {
    stop_task_flag_->store(false);
    LOG_DEBUG("receivedNewGoal Action server unavailable. Canceling.");
    communicator_decision_->cmd_vel()->publishZeroVelocity();
    return TaskState::ABORTED;
  }
  if (!action_server_->is_accepting_goals()) {
    stop_task_flag_->store(false);
    LOG_DEBUG("receivedNewGoal Action server is inactive. Canceling.");
    communicator_decision_->cmd_vel()->publishZeroVelocity();
    return TaskState::ABORTED;
  }

  const BT::Blackboard::Ptr root = tree_.rootBlackboard();
  if (!action_server_->is_preemption_pending()) {
    if (keys::get(*root, keys::kAlwaysSuccess)) {
      LOG_INFO("receivedNewGoal always_success.");
      communicator_decision_->cmd_vel()->publishZeroVelocity();
      keys::set(*root, keys::kAlwaysSuccess, false);
      return TaskState::FAILED;
    }
    if (!keys::get(*root, keys::kAlwaysFailure)) {
      return TaskState::CONTINUE;
    }
    stop_task_flag_->store(false);
    LOG_INFO("receivedNewGoal always_failure.");
    communicator_decision_->cmd_vel()->publishZeroVelocity();
    keys::set(*root, keys::kAlwaysFailure, false);
    keys::set(*root, keys::kErrNum, 100);
    return TaskState::ABORTED;
  }

  stop_task_flag_->store(false);
  action_server_->take_pending_goal();
  new_goal_received = true;
  const auto goal = action_server_->current_goal();
  LOG_DEBUG("isNewGoalAvailable");
  return startPreemptingTask(goal);
}

TaskState NavDecision::startPreemptingTask(const std::shared_ptr<const Planner::Goal> & goal)
{
  // The replaced task cleans up first (an elevator task restores the costmap layers), so that
  // nothing it does can undo what the new task sets up when it starts.
  if (current_task_) {
    current_task_->exit();
  }
  current_task_ = RobotTaskFactory::createTask(goal, blackboard_, &tree_);
  if (refuseUnusableGoal(*goal)) {
    // The robot was driving to the replaced goal.
    communicator_decision_->cmd_vel()->publishZeroVelocity();
    preempting_goal_refused_ = true;
    return TaskState::ABORTED;
  }
  current_task_->setMovementConstraint(goal->run_mode);
  return current_task_->startTask(
    goal, std::bind(&NavDecision::haltAllActions, this), communicator_decision_);
}

bool NavDecision::refuseUnusableGoal(const Planner::Goal & goal)
{
  const std::string problem = findUnusableNumber(goal);
  if (problem.empty()) {
    return false;
  }
  LOG_ERROR("Aborting on goal because it was sent with an unusable number: {}", problem);
  return true;
}

void NavDecision::haltAllActions()
{
  LOG_DEBUG("isNewGoalAvailable");
  bt_->haltAllActions(tree_.rootNode());
}

geometry_msgs::msg::PoseStamped NavDecision::currentRobotPose()
{
  geometry_msgs::msg::PoseStamped pose;
  lookUpRobotPose(pose);
  return pose;
}

bool NavDecision::lookUpRobotPose(geometry_msgs::msg::PoseStamped & pose)
{
  return nav2_util::getCurrentPose(
    pose, *tf_, global_frame_, robot_base_frame_, transform_tolerance_);
}

}  // namespace bt_navigator

#include <iostream>
#include <iterator>
#include <string>

#include <fmt/format.h>
#include <velmoran_nav2_protocol/action/global_planning.hpp>
#include <velmoran_nav2_protocol/action/local_planning.hpp>

#include "blackboard_keys.hpp"
#include "fuzzy_pose.hpp"
#include "logging/logger.hpp"
#include "nav_decision.hpp"

namespace bt_navigator
{

namespace
{

using Goal = velmoran_protocol::action::Planner::Goal;
using GlobalPlanningResult = velmoran_nav2_protocol::action::GlobalPlanning_Result;
using LocalPlanningResult = velmoran_nav2_protocol::action::LocalPlanning_Result;

constexpr const char * kNodeName = "velmoran_nav2_decision";
constexpr int32_t kForcedAbortErrorNumber = 100;
constexpr int32_t kElevatorErrorNumber = 101;
constexpr int32_t kTaskErrorNumber = 1;

/// Tag of the diagnostic recording asked for when a job of `run_mode` fails; null for none.
const char * failureTagOf(int32_t run_mode)
{
  switch (run_mode) {
    case Goal::NAVIGATION:
      return "failed_to_navigate_to_point";
    case Goal::CHARGE:
      return "failed_to_return_to_charging";
    case Goal::LIFT:
      return "failed_to_enter_the_elevator";
    case Goal::LIFT_OUT:
      return "failed_to_out_the_elevator";
    case Goal::NAVIGATION4DYNAMICCOVERAGE:
    case Goal::DYNAMICCOVERAGERESIDUESZONES:
      return "next_zone_unreachable";
    default:
      return nullptr;
  }
}

bool isElevatorMode(int32_t goal_mode)
{
  return goal_mode == Goal::LIFT || goal_mode == Goal::LIFT_OUT ||
         goal_mode == Goal::LIFT_WAITING_AREA;
}

}  // namespace

int32_t NavDecision::resultIndex() const { return current_task_->currentGoal()->index; }

void NavDecision::reportSuccess(
  const std::shared_ptr<const Planner::Goal> & goal, const geometry_msgs::msg::PoseStamped & pose)
{
  result_msg_->index = resultIndex();
  LOG_INFO("SUCCEEDED, result_msg_->index :{}", result_msg_->index);
  const PosePath post_task_path = readPostTaskPath();

  geometry_msgs::msg::PoseStamped fuzzy_pose;
  if (goal->run_mode == Goal::LIFT) {
    fuzzy_pose = computeFuzzymsg(*goal, pose);
  }
  result_msg_->fuzzy_pose = fuzzy_pose;
  result_msg_->success = true;
  result_msg_->err_num = 0;
  result_msg_->message = "Task completed";
  result_msg_->post_task_path = post_task_path;
  result_msg_->cleaned_area = getCleanedArea();
  action_server_->succeeded_current(result_msg_);
  resetErrorNumber();

  LOG_INFO("Task completed, post_task_path size:{}", post_task_path.size());
  for (const auto & point : post_task_path) {
    LOG_INFO(
      "post task path point, pose:{}, {}, orientation: {}, {}", point.pose.position.x,
      point.pose.position.y, point.pose.orientation.z, point.pose.orientation.w);
  }
  current_task_->exit();
}

void NavDecision::reportFailure(const PosePath & global_path)
{
  failCurrentGoal(global_path, true);
  current_task_->exit();
}

void NavDecision::failCurrentGoal(const PosePath & global_path, bool job_ran)
{
  const int32_t index = resultIndex();
  LOG_INFO("result_msg_->index = {}", index);
  if (const char * tag = failureTagOf(current_task_->runMode())) {
    communicator_decision_->err_code()->publishActiveTriggerRosbag(kNodeName, tag);
  }
  result_msg_->global_path = global_path;
  result_msg_->residues_zones = job_ran ? getResiduesZones() : Zones{};

  const int32_t error_number =
    isElevatorMode(current_task_->goalMode()) ? elevatorErrorNumber() : kTaskErrorNumber;
  // A forced abort is reported once; later jobs start from a clean error number.
  resetErrorNumber();

  result_msg_->index = index;
  result_msg_->success = false;
  result_msg_->err_num = error_number;
  result_msg_->message = "Task failed";
  action_server_->terminate_current(result_msg_);
  LOG_ERROR("Task failed, error number is {}", error_number);
}

int32_t NavDecision::elevatorErrorNumber()
{
  int error_number = 0;
  try {
    if (!blackboard_->get(keys::kErrNum, error_number)) {
      return kElevatorErrorNumber;
    }
  } catch (const std::exception & e) {
    LOG_WARN(
      "err_num is not an integer ({}), reporting error number {}", e.what(), kElevatorErrorNumber);
    return kElevatorErrorNumber;
  }
  return error_number == kForcedAbortErrorNumber ? kForcedAbortErrorNumber : kElevatorErrorNumber;
}

void NavDecision::resetErrorNumber()
{
  try {
    keys::set(*blackboard_, keys::kErrNum, 0);
  } catch (const std::exception & e) {
    // The tree declared "err_num" with another type; the entry stays as the tree left it.
    LOG_WARN("err_num could not be reset: {}", e.what());
  }
}

void NavDecision::reportCancellation(const PosePath & global_path)
{
  const int32_t index = resultIndex();
  LOG_INFO("result_msg_->index = {}", index);
  result_msg_->global_path = global_path;
  result_msg_->residues_zones = getResiduesZones();
  result_msg_->index = index;
  result_msg_->success = true;
  result_msg_->err_num = 0;
  result_msg_->message = "Task has been cancled";
  action_server_->terminate_current(result_msg_);
  resetErrorNumber();
  LOG_INFO("Task has been cancled");
  current_task_->exit();
}

void NavDecision::plannerFeedback(PlannerFeedbackPtr & feedback)
{
  LOG_INFO("feedback send, index = {}", feedback->index);
  action_server_->send_feedback(feedback);
}

NavDecision::PosePath NavDecision::updateGlobalPath()
{
  PosePath global_path;
  try {
    const auto global_result = keys::get(*blackboard_, keys::kGlobalResult);
    for (const auto & segment : global_result.path_segments) {
      global_path.insert(global_path.end(), segment.poses.begin(), segment.poses.end());
    }
  } catch (const std::exception & e) {
    LOG_ERROR("NavDecision::nearGoal {}", e.what());
  }
  return global_path;
}

NavDecision::PosePath NavDecision::readPostTaskPath()
{
  PosePath post_task_path;
  try {
    blackboard_->get(keys::kPostTaskPose, post_task_path);
  } catch (const std::exception & e) {
    // The tree left something unusable: the job still succeeded, only without its post-task path.
    LOG_ERROR(
      "post_task_pose is not a list of stamped poses, reporting an empty path: {}", e.what());
    post_task_path.clear();
  }
  return post_task_path;
}

float NavDecision::getCleanedArea()
{
  try {
    const float cleaned_area = keys::get(*blackboard_, keys::kLocalResult).cleaned_area;
    LOG_INFO("cleaned_area is  {}", static_cast<double>(cleaned_area));
    return cleaned_area;
  } catch (const std::exception & e) {
    std::cerr << "NavDecision::local_result" << e.what() << std::endl;
    return 0.0F;
  }
}

NavDecision::Zones NavDecision::getResiduesZones()
{
  Zones zones;
  try {
    zones = keys::get(*blackboard_, keys::kLocalResult).residues_zones;
    LOG_INFO("result size = {}", zones.size());
    for (std::size_t i = 0; i < zones.size(); ++i) {
      LOG_INFO("result[{:}].size = {}", i, zones[i].points.size());
    }
  } catch (const std::exception & e) {
    std::cerr << "NavDecision::local_result" << e.what() << std::endl;
  }
  if (zones.empty()) {
    return zones;
  }

  std::string text;
  for (const auto & zone : zones) {
    for (const auto & point : zone.points) {
      fmt::format_to(
        std::back_inserter(text), "{:f} {:f} ", static_cast<double>(point.x),
        static_cast<double>(point.y));
    }
    text += "\n\n\n";
  }
  LOG_INFO("residues_zones_msg is {}", text);
  return zones;
}

geometry_msgs::msg::PoseStamped NavDecision::computeFuzzymsg(
  const Planner::Goal & goal, const geometry_msgs::msg::PoseStamped & robot_pose)
{
  geometry_msgs::msg::PoseStamped fuzzy_pose;
  if (goal.goal_poses.empty()) {
    LOG_WARN("fuzzy_pose_against_goal: the goal has no goal pose, keeping the identity pose");
    return fuzzy_pose;
  }
  const FuzzyPose relative = fuzzyPoseAgainstGoal(goal.goal_poses.front().pose, robot_pose.pose);
  fuzzy_pose.pose = relative.pose;
  LOG_INFO(
    "fuzzy_pose_against_goal pose: x = {}, y = {} Yaw: {}", relative.pose.position.x,
    relative.pose.position.y, relative.yaw);
  return fuzzy_pose;
}

}  // namespace bt_navigator

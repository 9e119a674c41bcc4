#include <algorithm>
#include <limits>
#include <memory>

#include <rclcpp_action/rclcpp_action.hpp>

#include "logging/logger.hpp"
#include "nav_decision.hpp"

namespace bt_navigator
{

void NavDecision::emergencyStopCallback(
  velmoran_protocol::msg::RobotInfoLevelZero::ConstSharedPtr msg)
{
  // The state is sent over and over; only a change is news to a running job.
  if (emergency_stop_flag_->exchange(msg->emergency_stop) != msg->emergency_stop) {
    wakeJob();
  }
  if (msg->emergency_stop) {
    LOG_INFO("emergency_stop is {}", msg->emergency_stop);
  }
}

void NavDecision::stopTaskCallback(
  const std::shared_ptr<std_srvs::srv::SetBool::Request> /*request*/,
  std::shared_ptr<std_srvs::srv::SetBool::Response> /*response*/)
{
  if (!stop_task_flag_->exchange(true)) {
    wakeJob();
  }
}

void NavDecision::wakeJob() const
{
  if (const auto wake = std::atomic_load(&job_wake_signal_)) {
    wake->notify();
  }
}

void NavDecision::ArmRetractDetectCallback(
  const std::shared_ptr<velmoran_protocol::srv::ArmRetractDetect::Request> request,
  std::shared_ptr<velmoran_protocol::srv::ArmRetractDetect::Response> response)
{
  const auto & points = request->recommand_work_points;
  LOG_INFO("Recived the number of recommand work points for detecting is: {}", points.size());

  geometry_msgs::msg::PoseStamped robot_pose;
  try {
    lookUpRobotPose(robot_pose);
  } catch (const std::exception & e) {
    LOG_ERROR("Get current robot pose failded: {}", e.what());
    response->need_retract = true;
    return;
  }

  // Summed in single precision, as the arm task does when it judges the same points.
  float min_distance_square = std::numeric_limits<float>::max();
  for (const auto & point : points) {
    const double dx = robot_pose.pose.position.x - point.pose.position.x;
    const double dy = robot_pose.pose.position.y - point.pose.position.y;
    const float distance_square = static_cast<float>(dx * dx) + static_cast<float>(dy * dy);
    min_distance_square = std::min(min_distance_square, distance_square);
  }
  // The threshold is compared with the squared distance as it stands.
  const bool need_retract = !(eucleadian_dist_thr_ >= static_cast<double>(min_distance_square));
  response->need_retract = need_retract;
  LOG_INFO("Robotic arm retraction check completed, need_retract: {}", need_retract);
}

void NavDecision::goalCallback(geometry_msgs::msg::PoseStamped::ConstSharedPtr pose)
{
  LOG_INFO("navigation from rivz step in NavDecision::goalCallback");
  forwardAsPlannerGoal(*pose);
}

void NavDecision::navigateToPoseRviz()
{
  LOG_INFO("navigation from rivz step in NavDecision::navigateToPoseRviz");
  const auto goal = navigate_to_pose_server_->current_goal();
  if (!goal) {
    return;
  }
  forwardAsPlannerGoal(goal->pose);
  navigate_to_pose_server_->succeeded_current(std::make_shared<NavigateToPose::Result>());
}

void NavDecision::forwardAsPlannerGoal(const geometry_msgs::msg::PoseStamped & pose)
{
  const auto client = rclcpp_action::create_client<Planner>(
    shared_from_this(), "planner", nullptr, rcl_action_client_get_default_options());
  Planner::Goal goal;
  goal.goal_poses.push_back(pose);
  goal.run_mode = default_run_mode_;
  client->async_send_goal(goal, rclcpp_action::Client<Planner>::SendGoalOptions());
}

}  // namespace bt_navigator

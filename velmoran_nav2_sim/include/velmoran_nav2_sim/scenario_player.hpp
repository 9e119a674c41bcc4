#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <action_msgs/msg/goal_status_array.hpp>
#include <geometry_msgs/msg/pose_stamped.hpp>
#include <nav2_msgs/action/navigate_to_pose.hpp>
#include <rclcpp/rclcpp.hpp>
#include <rclcpp_action/rclcpp_action.hpp>
#include <std_srvs/srv/set_bool.hpp>
#include <velmoran_protocol/action/planner.hpp>
#include <velmoran_protocol/msg/robot_info_level_zero.hpp>
#include <velmoran_protocol/srv/arm_retract_detect.hpp>

#include "velmoran_nav2_sim/job_record.hpp"
#include "velmoran_nav2_sim/scenario.hpp"
#include "velmoran_nav2_sim/simulation_host.hpp"
#include "velmoran_nav2_sim/spin_thread.hpp"

namespace velmoran_nav2_sim
{

/// Plays a scenario against the decision node through its ROS interfaces: Planner jobs through
/// an action client, cancels, "stop_task" calls, emergency-stop states, arm-retraction checks,
/// and poses on "goal_pose" and "navigate_to_pose", whose jobs it follows on the Planner action's
/// status and result interfaces. Writes a progress line per finished job.
class ScenarioPlayer
{
public:
  using Planner = velmoran_protocol::action::Planner;
  using NavigateToPose = nav2_msgs::action::NavigateToPose;

  ScenarioPlayer(const Scenario & scenario, SimulationHost & host, std::ostream & progress);
  ~ScenarioPlayer();

  /// Plays every step, then waits for the jobs still running. After interrupt(), returns once
  /// the jobs that still ran are cancelled (or a short grace time passed) and the robot stopped.
  void play();
  /// Ends play() early; any thread. The jobs it cancels are marked interrupted.
  void interrupt();
  /// Whether the node's process ended while the scenario played: its running jobs then failed.
  bool nodeExited() const;

  /// The jobs in the order they were sent.
  std::vector<JobRecord> jobs() const;
  /// Every way the run differed from the scenario's expectations.
  std::vector<std::string> mismatches() const;

private:
  using GoalHandle = rclcpp_action::ClientGoalHandle<Planner>;
  using GoalId = std::array<uint8_t, 16>;

  void runStep(const JobStep & step);
  void runStep(const ForwardedGoalStep & step);
  void runStep(const WaitStep & step);
  void runStep(const WaitForStep & step);
  void runStep(const CancelStep & step);
  void runStep(const StopStep & step);
  void runStep(const EmergencyStopStep & step);
  void runStep(const ArmRetractCheckStep & step);

  std::size_t addRecord(JobRecord record);
  void reportAccepted(std::size_t job);
  void finish(std::size_t job, int8_t status, const Planner::Result & result);
  void waitForJob(std::size_t job, int line);
  void waitSimSeconds(double seconds);
  void onStatus(const action_msgs::msg::GoalStatusArray & status);
  void problem(int line, const std::string & what);
  /// Waits for `future` as long as `timeout` and no interruption.
  template <typename FutureT>
  bool answered(const FutureT & future, std::chrono::milliseconds timeout) const;
  void cancelRunningJobs();
  /// The node's process ended: fails the running jobs and ends play().
  void onNodeExit(const NodeProcess::Exit & exit);

  const Scenario & scenario_;
  SimulationHost & host_;
  std::ostream & progress_;
  std::size_t job_count_ = 0;

  rclcpp::Node::SharedPtr node_;
  rclcpp_action::Client<Planner>::SharedPtr planner_;
  rclcpp_action::Client<NavigateToPose>::SharedPtr navigate_to_pose_;
  rclcpp::Client<Planner::Impl::GetResultService>::SharedPtr planner_result_;
  rclcpp::Client<std_srvs::srv::SetBool>::SharedPtr stop_task_;
  rclcpp::Client<velmoran_protocol::srv::ArmRetractDetect>::SharedPtr arm_retract_detect_;
  rclcpp::Publisher<geometry_msgs::msg::PoseStamped>::SharedPtr goal_pose_;
  rclcpp::Publisher<velmoran_protocol::msg::RobotInfoLevelZero>::SharedPtr robot_info_;
  rclcpp::Subscription<action_msgs::msg::GoalStatusArray>::SharedPtr planner_status_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<JobRecord> jobs_;
  std::vector<GoalHandle::SharedPtr> handles_;
  std::set<GoalId> known_goals_;
  /// The job of a forwarded pose whose Planner goal has not been seen yet.
  std::optional<std::size_t> awaiting_forwarded_;
  std::vector<std::string> problems_;
  std::atomic<bool> interrupted_{false};
  bool node_exited_ = false;
  /// Runs the callbacks of `node_`, which use every member above; declared last so that its
  /// thread has ended before any of them is destroyed.
  SpinThread spinner_;
};

}  // namespace velmoran_nav2_sim

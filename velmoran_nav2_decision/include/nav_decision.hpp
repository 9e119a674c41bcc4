#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <behaviortree_cpp_v3/blackboard.h>
#include <behaviortree_cpp_v3/bt_factory.h>
#include <tf2_ros/buffer.h>
#include <tf2_ros/transform_listener.h>
#include <geometry_msgs/msg/polygon.hpp>
#include <geometry_msgs/msg/pose_stamped.hpp>
#include <nav2_msgs/action/navigate_to_pose.hpp>
#include <rclcpp/rclcpp.hpp>
#include <rclcpp_lifecycle/lifecycle_node.hpp>
#include <rclcpp_lifecycle/lifecycle_publisher.hpp>
#include <std_srvs/srv/set_bool.hpp>
#include <velmoran_behavior_tree/behavior_tree_engine.hpp>
#include <velmoran_communicator/communicator_decision.hpp>
#include <velmoran_protocol/action/planner.hpp>
#include <velmoran_protocol/msg/robot_info_level_zero.hpp>
#include <velmoran_protocol/srv/arm_retract_detect.hpp>

#include "robot_task_base.hpp"
#include "velmoran_nav2_base_class/velmoran_simple_action_server.hpp"

namespace bt_navigator
{

/// The navigation decision node. It serves Planner jobs on "planner": each job becomes a task that
/// feeds goals to the behaviour tree, which the engine runs until the task has no goal left; the
/// outcome is reported as the job's result. Poses from "goal_pose" and NavigateToPose goals on
/// "navigate_to_pose" are forwarded as Planner jobs; "stop_task" and the robot's emergency stop
/// reach the engine as shared flags; "/arm_retract_detect" checks the robot against work points.
class NavDecision : public rclcpp_lifecycle::LifecycleNode
{
public:
  using Planner = velmoran_protocol::action::Planner;
  using NavigateToPose = nav2_msgs::action::NavigateToPose;
  using PlannerServer = nav2_util::VelmoranSimpleActionServer<Planner>;
  using NavigateToPoseServer = nav2_util::VelmoranSimpleActionServer<NavigateToPose>;
  using PlannerFeedbackPtr = std::shared_ptr<Planner::Feedback>;
  using PosePath = std::vector<geometry_msgs::msg::PoseStamped>;
  using Zones = std::vector<geometry_msgs::msg::Polygon>;

  /// The deployed node: default node options, goal records under GoalRecordFile::kDefaultDirectory.
  NavDecision();
  /// The same node with other node options (parameter overrides, arguments) and another
  /// goal-record directory (ending with a slash); for tests and embedding.
  NavDecision(const rclcpp::NodeOptions & options, std::string goal_record_directory);
  ~NavDecision() override;

  /// Configures and activates the node, then logs the start-up line; states are not checked.
  void init();

  /// Makes tree_ the tree of `bt_xml_filename`; only renews "retry_start_time" when that file is
  /// loaded already. False when the file cannot be opened (or no tree exists for the reuse).
  bool loadBehaviorTree(const std::string & bt_xml_filename);

protected:
  CallbackReturn on_configure(const rclcpp_lifecycle::State & state) override;
  CallbackReturn on_cleanup(const rclcpp_lifecycle::State & state) override;
  CallbackReturn on_shutdown(const rclcpp_lifecycle::State & state) override;
  CallbackReturn on_activate(const rclcpp_lifecycle::State & state) override;
  CallbackReturn on_deactivate(const rclcpp_lifecycle::State & state) override;

  // Jobs (execute callback of "planner" and what the engine calls while the tree runs).
  void navigateToPose();
  TaskState receivedNewGoal(const PlannerFeedbackPtr & feedback, bool & new_goal_received);
  void haltAllActions();
  /// Replaces current_task_ by a started task for a goal that preempted the running one; ABORTED,
  /// with the task left unstarted, when the goal is refused (refuseUnusableGoal).
  TaskState startPreemptingTask(const std::shared_ptr<const Planner::Goal> & goal);
  /// True, after logging the field, when `goal` holds a number that no task can drive by; the
  /// goal then fails without its task being started.
  bool refuseUnusableGoal(const Planner::Goal & goal);

  // Reports.
  void reportSuccess(
    const std::shared_ptr<const Planner::Goal> & goal,
    const geometry_msgs::msg::PoseStamped & pose);
  void reportFailure(const PosePath & global_path);
  /// The failure report without the task's exit. A goal refused before its task started has
  /// neither a path nor residue zones of its own (`job_ran` false).
  void failCurrentGoal(const PosePath & global_path, bool job_ran);
  void reportCancellation(const PosePath & global_path);
  void plannerFeedback(PlannerFeedbackPtr & feedback);
  Zones getResiduesZones();
  float getCleanedArea();
  PosePath updateGlobalPath();
  PosePath readPostTaskPath();
  geometry_msgs::msg::PoseStamped computeFuzzymsg(
    const Planner::Goal & goal, const geometry_msgs::msg::PoseStamped & robot_pose);
  /// Error number of a failed job whose last goal was an elevator goal: 100 after a forced abort.
  int32_t elevatorErrorNumber();
  /// "err_num" = 0 after a report.
  void resetErrorNumber();
  int32_t resultIndex() const;
  /// The robot pose, or the origin with identity orientation when it cannot be read.
  geometry_msgs::msg::PoseStamped currentRobotPose();
  /// Reads the robot pose from the transform tree into `pose` (latest transform); false when it
  /// cannot be read.
  virtual bool lookUpRobotPose(geometry_msgs::msg::PoseStamped & pose);

  // Auxiliary inputs.
  void emergencyStopCallback(velmoran_protocol::msg::RobotInfoLevelZero::ConstSharedPtr msg);
  void stopTaskCallback(
    const std::shared_ptr<std_srvs::srv::SetBool::Request> request,
    std::shared_ptr<std_srvs::srv::SetBool::Response> response);
  void ArmRetractDetectCallback(
    const std::shared_ptr<velmoran_protocol::srv::ArmRetractDetect::Request> request,
    std::shared_ptr<velmoran_protocol::srv::ArmRetractDetect::Response> response);
  void goalCallback(geometry_msgs::msg::PoseStamped::ConstSharedPtr pose);
  void navigateToPoseRviz();
  /// Sends `pose` as a Planner goal with default_run_mode_ to this node's own "planner" server.
  void forwardAsPlannerGoal(const geometry_msgs::msg::PoseStamped & pose);

  void createInterfaces();
  /// Ends the engine's wait between two cycles of a running job (see BehaviorTreeEngine::run), so
  /// that a change the cycle checks is served at once; does nothing before the engine exists.
  void wakeJob() const;

  /// The engine's wake signal; read with std::atomic_load, as the inputs may arrive from the
  /// executor while configuration sets it. Declared before the servers that wake it, so it
  /// outlives them.
  std::shared_ptr<behavior_tree::WakeSignal> job_wake_signal_;
  std::unique_ptr<PlannerServer> action_server_;
  std::unique_ptr<NavigateToPoseServer> navigate_to_pose_server_;
  BT::Tree tree_;
  BT::Blackboard::Ptr blackboard_;
  std::string current_bt_xml_filename_;
  std::unique_ptr<behavior_tree::BehaviorTreeEngine> bt_;
  /// Time-out of the engine's wait between cycles.
  std::chrono::milliseconds tree_tick_period_{10};
  std::vector<std::string> plugin_lib_names_;
  rclcpp::Node::SharedPtr client_node_;
  rclcpp::Subscription<geometry_msgs::msg::PoseStamped>::SharedPtr goal_sub_;
  rclcpp::Service<std_srvs::srv::SetBool>::SharedPtr stop_task_service_;
  rclcpp_lifecycle::LifecyclePublisher<Planner::Goal>::SharedPtr goal_pub_;
  std::shared_ptr<Planner::Result> result_msg_;
  rclcpp::Service<velmoran_protocol::srv::ArmRetractDetect>::SharedPtr arm_retract_detect_service_;
  std::shared_ptr<tf2_ros::Buffer> tf_;
  std::shared_ptr<tf2_ros::TransformListener> tf_listener_;
  rclcpp::CallbackGroup::SharedPtr callback_group_;
  std::string robot_base_frame_;
  std::string global_frame_;
  double transform_tolerance_{0.1};
  std::string bt_xml_filename_;
  double eucleadian_dist_thr_{0.02};
  double yaw_diff_thr_{0.1};
  std::shared_ptr<RobotTaskBase> current_task_;
  std::shared_ptr<velmoran_communicator::CommunicatorDecision> communicator_decision_;
  std::shared_ptr<std::atomic<bool>> stop_task_flag_;
  std::shared_ptr<std::atomic<bool>> emergency_stop_flag_;
  rclcpp::Subscription<velmoran_protocol::msg::RobotInfoLevelZero>::SharedPtr robot_info_sub_;
  int32_t default_run_mode_{0};
  int32_t previous_run_mode_{-1};
  /// Set when a goal that preempted the running job was refused; the job then fails at once.
  bool preempting_goal_refused_{false};
  /// Where jobs record their goal poses (see GoalRecordFile).
  std::string goal_record_directory_;
};

}  // namespace bt_navigator

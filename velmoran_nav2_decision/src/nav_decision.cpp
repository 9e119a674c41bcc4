#include "nav_decision.hpp"

#include <chrono>
#include <fstream>
#include <functional>
#include <utility>

#include <tf2_ros/create_timer_ros.h>

#include "blackboard_keys.hpp"
#include "blackboard_seeding.hpp"
#include "goal_record_file.hpp"
#include "logging/logger.hpp"

namespace bt_navigator
{

namespace
{

constexpr const char * kNodeName = "velmoran_nav2_decision";
constexpr int kTreeLoadErrorCode = 101100023;
constexpr std::chrono::milliseconds kTreeLoadRetryPeriod{100};

/// Destroys a server while `server` still points at it, then lets go of the pointer: a job on the
/// server's worker keeps reaching its (inactive) server until the destructor has joined the worker.
template <typename ServerT>
void destroyInPlace(std::unique_ptr<ServerT> & server)
{
  if (server) {
    delete server.get();
    static_cast<void>(server.release());
  }
}

}  // namespace

NavDecision::NavDecision() : NavDecision(rclcpp::NodeOptions(), GoalRecordFile::kDefaultDirectory)
{
}

NavDecision::NavDecision(const rclcpp::NodeOptions & options, std::string goal_record_directory)
: rclcpp_lifecycle::LifecycleNode(kNodeName, "", options),
  goal_record_directory_(std::move(goal_record_directory))
{
  LOG_INFO("NavDecision");
  declare_parameter("global_frame", std::string("map"));
  declare_parameter("robot_base_frame", std::string("base_footprint"));
  declare_parameter("transform_tolerance", 0.1);
  declare_parameter("recommand_point_distance_square_thr", 0.0004);
  declare_parameter("eucleadian_dist_thr", 0.02);
  declare_parameter("yaw_diff_thr", 0.1);
}

NavDecision::~NavDecision()
{
  // A job still running uses the tree, the engine and the blackboard, which are declared after
  // the servers and would go first. Ending the servers here lets such a job see its server
  // inactive, end and report while all of that still exists.
  destroyInPlace(navigate_to_pose_server_);
  destroyInPlace(action_server_);
}

void NavDecision::init()
{
  // A shutdown (SIGINT) during a transition ends start-up: the next one would create rclcpp
  // objects on a shut-down context.
  configure();
  if (!rclcpp::ok()) {
    return;
  }
  activate();
  if (!rclcpp::ok()) {
    return;
  }
  LOG_INFO("velmoran_nav2_decision start successfully");
}

NavDecision::CallbackReturn NavDecision::on_configure(const rclcpp_lifecycle::State & /*state*/)
{
  LOG_INFO("on_configure");
  stop_task_flag_ = std::make_shared<std::atomic<bool>>(false);
  emergency_stop_flag_ = std::make_shared<std::atomic<bool>>(false);

  rclcpp::NodeOptions client_options;
  client_options.arguments(
    {"--ros-args", "-r", std::string("__node:=") + get_name() + "_rclcpp_node", "--"});

  callback_group_ = create_callback_group(rclcpp::CallbackGroupType::MutuallyExclusive, true);
  tf_ = std::make_shared<tf2_ros::Buffer>(get_clock(), tf2::durationFromSec(10.0));
  tf_->setCreateTimerInterface(std::make_shared<tf2_ros::CreateTimerROS>(
    get_node_base_interface(), get_node_timers_interface(), callback_group_));
  tf_listener_ = std::make_shared<tf2_ros::TransformListener>(*tf_, true);
  blackboard_ = BT::Blackboard::create();
  client_node_ = std::make_shared<rclcpp::Node>("_", client_options);
  result_msg_ = std::make_shared<Planner::Result>();

  global_frame_ = get_parameter("global_frame").as_string();
  robot_base_frame_ = get_parameter("robot_base_frame").as_string();
  transform_tolerance_ = get_parameter("transform_tolerance").as_double();
  eucleadian_dist_thr_ = get_parameter("eucleadian_dist_thr").as_double();
  yaw_diff_thr_ = get_parameter("yaw_diff_thr").as_double();
  const auto recommand_point_distance_square_thr =
    static_cast<float>(get_parameter("recommand_point_distance_square_thr").as_double());

  if (!has_parameter("default_run_mode")) {
    declare_parameter("default_run_mode", 0);
  }
  default_run_mode_ = static_cast<int32_t>(get_parameter("default_run_mode").as_int());

  communicator_decision_ = velmoran_communicator::CommunicatorDecision::instance();
  robot_info_sub_ = create_subscription<velmoran_protocol::msg::RobotInfoLevelZero>(
    "/robot_info_level_zero", rclcpp::QoS(rclcpp::KeepLast(1)),
    std::bind(&NavDecision::emergencyStopCallback, this, std::placeholders::_1));

  seedBlackboard(*blackboard_, client_node_, tf_, recommand_point_distance_square_thr);

  declare_parameter("behavior_tree", std::string(""));
  declare_parameter("plugin_lib_names", std::vector<std::string>{});
  plugin_lib_names_ = get_parameter("plugin_lib_names").as_string_array();
  bt_ = std::make_unique<behavior_tree::BehaviorTreeEngine>(plugin_lib_names_);
  std::atomic_store(&job_wake_signal_, bt_->wakeSignal());

  bt_xml_filename_ = get_parameter("behavior_tree").as_string();
  LOG_INFO("xml_file is {}", bt_xml_filename_);
  if (!loadBehaviorTree(bt_xml_filename_)) {
    LOG_ERROR("loadBehaviorTree failed, error code is {}", kTreeLoadErrorCode);
    return CallbackReturn::ERROR;
  }
  LOG_INFO("loadBehaviorTree success!");
  if (!rclcpp::ok()) {
    return CallbackReturn::ERROR;
  }

  createInterfaces();
  LOG_INFO("registers success!");
  return CallbackReturn::SUCCESS;
}

void NavDecision::createInterfaces()
{
  using std::placeholders::_1;
  using std::placeholders::_2;
  action_server_ = std::make_unique<PlannerServer>(
    get_node_base_interface(), get_node_clock_interface(), get_node_logging_interface(),
    get_node_waitables_interface(), "planner", std::bind(&NavDecision::navigateToPose, this),
    nullptr, true, rcl_action_server_get_default_options());
  // A goal parked for preemption, an accepted cancel and the server going inactive are what the
  // running job polls the server for.
  action_server_->set_state_change_callback([this] { wakeJob(); });
  goal_sub_ = create_subscription<geometry_msgs::msg::PoseStamped>(
    "goal_pose", rclcpp::SystemDefaultsQoS(), std::bind(&NavDecision::goalCallback, this, _1));
  stop_task_service_ = create_service<std_srvs::srv::SetBool>(
    "stop_task", std::bind(&NavDecision::stopTaskCallback, this, _1, _2));
  goal_pub_ = create_publisher<Planner::Goal>("goal", rclcpp::QoS(rclcpp::KeepLast(1)));
  navigate_to_pose_server_ = std::make_unique<NavigateToPoseServer>(
    get_node_base_interface(), get_node_clock_interface(), get_node_logging_interface(),
    get_node_waitables_interface(), "navigate_to_pose",
    std::bind(&NavDecision::navigateToPoseRviz, this), nullptr, true,
    rcl_action_server_get_default_options());
  arm_retract_detect_service_ = create_service<velmoran_protocol::srv::ArmRetractDetect>(
    "/arm_retract_detect", std::bind(&NavDecision::ArmRetractDetectCallback, this, _1, _2));
}

NavDecision::CallbackReturn NavDecision::on_activate(const rclcpp_lifecycle::State & /*state*/)
{
  communicator_decision_ = velmoran_communicator::CommunicatorDecision::instance();
  LOG_INFO("communicator_decision_ success!");
  LOG_INFO("on_activate");
  action_server_->activate();
  navigate_to_pose_server_->activate();
  LOG_INFO("createBond start");
  return CallbackReturn::SUCCESS;
}

NavDecision::CallbackReturn NavDecision::on_deactivate(const rclcpp_lifecycle::State & /*state*/)
{
  return CallbackReturn::SUCCESS;
}

NavDecision::CallbackReturn NavDecision::on_cleanup(const rclcpp_lifecycle::State & /*state*/)
{
  return CallbackReturn::SUCCESS;
}

NavDecision::CallbackReturn NavDecision::on_shutdown(const rclcpp_lifecycle::State & /*state*/)
{
  return CallbackReturn::SUCCESS;
}

bool NavDecision::loadBehaviorTree(const std::string & bt_xml_filename)
{
  if (bt_xml_filename == current_bt_xml_filename_) {
    const BT::Blackboard::Ptr root = tree_.rootBlackboard();
    // An empty name matches before any tree was loaded: there is nothing to reuse.
    if (!root) {
      return false;
    }
    LOG_WARN("current_bt_xml_filename_ == bt_xml_filename reset retry_start_time");
    keys::set(*root, keys::kRetryStartTime, std::chrono::system_clock::now());
    return true;
  }

  bt_->resetGrootMonitor();
  std::ifstream xml_file(bt_xml_filename);
  if (!xml_file.good()) {
    return false;
  }

  rclcpp::WallRate retry_rate(kTreeLoadRetryPeriod);
  LOG_WARN("bt_xml_filename: {}", bt_xml_filename);
  BT::Tree tree;
  while (true) {
    try {
      tree = bt_->createTreeFromFile(bt_xml_filename, blackboard_);
      break;
    } catch (const std::exception & e) {
      LOG_WARN("Exception when loading BT: {}", e.what());
    }
    // A tree that never builds must not keep a shut-down process alive.
    if (!rclcpp::ok()) {
      return false;
    }
    retry_rate.sleep();
    if (!rclcpp::ok()) {
      return false;
    }
  }
  tree_ = std::move(tree);

  const BT::Blackboard::Ptr root = tree_.rootBlackboard();
  keys::set(*root, keys::kAlwaysFailure, false);
  keys::set(*root, keys::kAlwaysSuccess, false);
  keys::set(*root, keys::kRetryStartTime, std::chrono::system_clock::now());
  current_bt_xml_filename_ = bt_xml_filename;
  return true;
}

}  // namespace bt_navigator

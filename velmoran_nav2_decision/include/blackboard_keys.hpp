#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <behaviortree_cpp_v3/blackboard.h>
#include <geometry_msgs/msg/point32.hpp>
#include <geometry_msgs/msg/polygon.hpp>
#include <geometry_msgs/msg/pose_stamped.hpp>
#include <std_msgs/msg/int16.hpp>
#include <std_msgs/msg/int32.hpp>
#include <velmoran_nav2_protocol/action/global_planning.hpp>
#include <velmoran_nav2_protocol/action/local_planning.hpp>
#include <velmoran_nav2_protocol/msg/movement_constraint.hpp>

namespace rclcpp
{
class Node;
}  // namespace rclcpp

namespace tf2_ros
{
class Buffer;
}  // namespace tf2_ros

/// The entries of the blackboard shared by the node, its tasks and the behaviour tree: each key
/// once, with the one type its value has for the life of the blackboard.
namespace bt_navigator::keys
{

/// A blackboard key whose value has type T. It converts to the key text, so it also serves the
/// plain BT::Blackboard calls; keys::set and keys::get take the type from the key.
template <typename T>
struct Key
{
  using ValueType = T;

  const char * name;

  constexpr operator const char *() const { return name; }
  operator std::string() const { return name; }
};

using PosePath = std::vector<geometry_msgs::msg::PoseStamped>;
using ZonePoints = std::vector<geometry_msgs::msg::Point32>;
using GlobalPlanningResult = velmoran_nav2_protocol::action::GlobalPlanning_Result;
using LocalPlanningResult = velmoran_nav2_protocol::action::LocalPlanning_Result;
using MovementConstraint = velmoran_nav2_protocol::msg::MovementConstraint;

// Set when the node configures.
inline constexpr Key<std::shared_ptr<rclcpp::Node>> kNode{"node"};
inline constexpr Key<std::shared_ptr<tf2_ros::Buffer>> kTfBuffer{"tf_buffer"};
inline constexpr Key<std::chrono::milliseconds> kServerTimeout{"server_timeout"};
inline constexpr Key<std::chrono::milliseconds> kWaitForServiceTimeout{"wait_for_service_timeout"};
inline constexpr Key<std::chrono::milliseconds> kBtLoopDuration{"bt_loop_duration"};
inline constexpr Key<bool> kPathUpdated{"path_updated"};
inline constexpr Key<bool> kInitialPoseReceived{"initial_pose_received"};
inline constexpr Key<int> kNumberRecoveries{"number_recoveries"};
inline constexpr Key<bool> kGoalReached{"goal_reached"};
inline constexpr Key<float> kRecommandPointDistanceSquareThr{"recommand_point_distance_square_thr"};
inline constexpr Key<int> kPreviousRunMode{"previous_run_mode"};
inline constexpr Key<LocalPlanningResult> kLocalResult{"local_result"};

// Written by tree loading and goal intake, on the tree's root blackboard.
inline constexpr Key<bool> kAlwaysSuccess{"always_success"};
inline constexpr Key<bool> kAlwaysFailure{"always_failure"};
inline constexpr Key<std::chrono::system_clock::time_point> kRetryStartTime{"retry_start_time"};
inline constexpr Key<int> kErrNum{"err_num"};

// Written by the tasks for each goal.
inline constexpr Key<float> kMaxSpeed{"max_speed"};
inline constexpr Key<MovementConstraint> kMovementConstraint{"movement_constraint"};
inline constexpr Key<bool> kNewGoal{"new_goal"};
inline constexpr Key<int> kRunMode{"run_mode"};
inline constexpr Key<std_msgs::msg::Int16> kGoalMode{"goal_mode"};
inline constexpr Key<PosePath> kGoalPoses{"goal_poses"};
inline constexpr Key<geometry_msgs::msg::PoseStamped> kCurrentGoal{"current_goal"};
inline constexpr Key<std_msgs::msg::Int32> kActionId{"action_id"};
inline constexpr Key<std_msgs::msg::Int32> kActionIdResult{"action_id_result"};
inline constexpr Key<ZonePoints> kGoalZone{"goal_zone"};
inline constexpr Key<ZonePoints> kCoveredPointInputGlobal{"covered_point_input_global"};
inline constexpr Key<ZonePoints> kCoveredPointInputLocal{"covered_point_input_local"};
inline constexpr Key<GlobalPlanningResult> kGlobalResult{"global_result"};
inline constexpr Key<geometry_msgs::msg::Polygon> kLiftInnerFrame{"lift_inner_frame"};

// Written only by the tree.
inline constexpr Key<PosePath> kPostTaskPose{"post_task_pose"};

/// Writes the value as the key's type: keys::set(blackboard, keys::kMaxSpeed, 0.5) stores a float.
/// Throws BT::LogicError when the entry already holds another type.
template <typename T>
void set(BT::Blackboard & blackboard, const Key<T> & key, const typename Key<T>::ValueType & value)
{
  blackboard.set<T>(key.name, value);
}

/// Throws BT::RuntimeError when the entry is missing, and std::runtime_error when its value
/// cannot be read as the key's type.
template <typename T>
T get(const BT::Blackboard & blackboard, const Key<T> & key)
{
  return blackboard.get<T>(key.name);
}

}  // namespace bt_navigator::keys

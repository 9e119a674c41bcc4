#include "blackboard_seeding.hpp"

#include <chrono>

#include "blackboard_keys.hpp"

namespace bt_navigator
{

namespace
{
// Fixed values, not parameters.
constexpr std::chrono::milliseconds kServerTimeout{2000};
constexpr std::chrono::milliseconds kWaitForServiceTimeout{2000};
constexpr std::chrono::milliseconds kBtLoopDuration{2000};
constexpr int kNoPreviousRunMode = -1;
}  // namespace

void seedBlackboard(
  BT::Blackboard & blackboard, const std::shared_ptr<rclcpp::Node> & client_node,
  const std::shared_ptr<tf2_ros::Buffer> & tf_buffer, float recommand_point_distance_square_thr)
{
  keys::set(blackboard, keys::kNode, client_node);
  keys::set(blackboard, keys::kTfBuffer, tf_buffer);
  keys::set(blackboard, keys::kServerTimeout, kServerTimeout);
  keys::set(blackboard, keys::kWaitForServiceTimeout, kWaitForServiceTimeout);
  keys::set(blackboard, keys::kPathUpdated, false);
  keys::set(blackboard, keys::kInitialPoseReceived, false);
  keys::set(blackboard, keys::kNumberRecoveries, 0);
  keys::set(blackboard, keys::kGoalReached, false);
  keys::set(blackboard, keys::kBtLoopDuration, kBtLoopDuration);
  keys::set(
    blackboard, keys::kRecommandPointDistanceSquareThr, recommand_point_distance_square_thr);
  keys::set(blackboard, keys::kPreviousRunMode, kNoPreviousRunMode);
  keys::set(blackboard, keys::kLocalResult, keys::LocalPlanningResult());
}

}  // namespace bt_navigator

#pragma once

#include <memory>

#include <behaviortree_cpp_v3/blackboard.h>
#include <tf2_ros/buffer.h>
#include <rclcpp/node.hpp>

namespace bt_navigator
{

/// Writes the entries the node sets when it configures, in this order: node, tf_buffer,
/// server_timeout, wait_for_service_timeout (2000 ms each), path_updated, initial_pose_received
/// (false), number_recoveries (0), goal_reached (false), bt_loop_duration (2000 ms),
/// recommand_point_distance_square_thr, previous_run_mode (-1) and a default local_result.
void seedBlackboard(
  BT::Blackboard & blackboard, const std::shared_ptr<rclcpp::Node> & client_node,
  const std::shared_ptr<tf2_ros::Buffer> & tf_buffer, float recommand_point_distance_square_thr);

}  // namespace bt_navigator

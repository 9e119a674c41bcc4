#pragma once

#include <memory>

#include <geometry_msgs/msg/twist.hpp>
#include <rclcpp/node.hpp>
#include <rclcpp/publisher.hpp>

namespace velmoran_communicator
{
/// Velocity commands to the robot's base, as geometry_msgs/msg/Twist on "cmd_vel".
class MicroUnitCmdVel
{
public:
  static constexpr const char * kTopic = "cmd_vel";

  explicit MicroUnitCmdVel(rclcpp::Node & node);

  /// Publishes an all-zero Twist: the robot is to stop.
  void publishZeroVelocity();

private:
  rclcpp::Publisher<geometry_msgs::msg::Twist>::SharedPtr publisher_;
};

}  // namespace velmoran_communicator

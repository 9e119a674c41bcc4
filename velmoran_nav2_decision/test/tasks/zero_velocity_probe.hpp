#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>

#include <geometry_msgs/msg/twist.hpp>
#include <rclcpp/rclcpp.hpp>
#include <velmoran_communicator/communicator_decision.hpp>

#include "background_executor.hpp"
#include "task_test_support.hpp"

namespace bt_navigator::test
{

/// Counts the zero-velocity commands the process's communicator sends on "cmd_vel".
class ZeroVelocityProbe
{
public:
  ZeroVelocityProbe();
  ZeroVelocityProbe(const ZeroVelocityProbe &) = delete;
  ZeroVelocityProbe & operator=(const ZeroVelocityProbe &) = delete;

  std::shared_ptr<velmoran_communicator::CommunicatorDecision> communicator() const;

  /// Zero-velocity commands received so far. Sends a marker on the topic first and waits for it,
  /// so every command published before the call has been counted; -1 when the marker is lost.
  int count();

private:
  void onTwist(const geometry_msgs::msg::Twist & twist);

  // First member: the executor below needs ROS initialised.
  RosInitialised ros_;
  rclcpp::Node::SharedPtr node_;
  rclcpp::Subscription<geometry_msgs::msg::Twist>::SharedPtr subscription_;
  rclcpp::Publisher<geometry_msgs::msg::Twist>::SharedPtr marker_publisher_;
  std::mutex mutex_;
  std::condition_variable received_;
  int zero_commands_{0};
  int markers_{0};
  // Last member: stops spinning before the rest goes away.
  BackgroundExecutor executor_;
};

}  // namespace bt_navigator::test

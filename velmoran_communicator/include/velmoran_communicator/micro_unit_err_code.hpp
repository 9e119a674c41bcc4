#pragma once

#include <memory>
#include <string>

#include <rclcpp/node.hpp>
#include <rclcpp/publisher.hpp>
#include <std_msgs/msg/string.hpp>

namespace velmoran_communicator
{
/// Error reports of the robot's programs to its diagnostics.
class MicroUnitErrCode
{
public:
  /// Recording requests, as std_msgs/msg/String.
  static constexpr const char * kRecordingTopic = "active_trigger_rosbag";

  explicit MicroUnitErrCode(rclcpp::Node & node);

  /// Asks the diagnostics to record the recent past: publishes "<node_name>:<tag>" on
  /// kRecordingTopic, e.g. "velmoran_nav2_decision:failed_to_navigate_to_point". Node names
  /// contain no ':', so the text splits at its first ':'.
  void publishActiveTriggerRosbag(const std::string & node_name, const std::string & tag);

private:
  rclcpp::Publisher<std_msgs::msg::String>::SharedPtr publisher_;
};

}  // namespace velmoran_communicator

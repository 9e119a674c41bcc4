#include "velmoran_communicator/micro_unit_err_code.hpp"

namespace velmoran_communicator
{
MicroUnitErrCode::MicroUnitErrCode(rclcpp::Node & node)
: publisher_(
    node.create_publisher<std_msgs::msg::String>(kRecordingTopic, rclcpp::QoS(10).reliable()))
{
}

void MicroUnitErrCode::publishActiveTriggerRosbag(
  const std::string & node_name, const std::string & tag)
{
  std_msgs::msg::String request;
  request.data = node_name + ":" + tag;
  publisher_->publish(request);
}

}  // namespace velmoran_communicator

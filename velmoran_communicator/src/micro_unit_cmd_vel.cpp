#include "velmoran_communicator/micro_unit_cmd_vel.hpp"

namespace velmoran_communicator
{
MicroUnitCmdVel::MicroUnitCmdVel(rclcpp::Node & node)
: publisher_(node.create_publisher<geometry_msgs::msg::Twist>(kTopic, rclcpp::SystemDefaultsQoS()))
{
}

void MicroUnitCmdVel::publishZeroVelocity() { publisher_->publish(geometry_msgs::msg::Twist()); }

}  // namespace velmoran_communicator

#ifndef RCLCPP__NODE_INTERFACES__NODE_CLOCK_HPP_
#define RCLCPP__NODE_INTERFACES__NODE_CLOCK_HPP_

#include "rclcpp/node_interfaces/node_clock_interface.hpp"

namespace rclcpp
{
namespace node_interfaces
{

/// The node's clock (ROS time by default; it follows the system clock without a time source).
class NodeClock : public NodeClockInterface
{
public:
  RCLCPP_SMART_PTR_ALIASES_ONLY(NodeClock)

  explicit NodeClock(rcl_clock_type_t clock_type = RCL_ROS_TIME);

  rclcpp::Clock::SharedPtr get_clock() override;
  rclcpp::Clock::ConstSharedPtr get_clock() const override;

private:
  rclcpp::Clock::SharedPtr clock_;
};

}  // namespace node_interfaces
}  // namespace rclcpp

#endif  // RCLCPP__NODE_INTERFACES__NODE_CLOCK_HPP_

#include "rclcpp/node_interfaces/node_clock.hpp"

#include <memory>

namespace rclcpp
{
namespace node_interfaces
{

NodeClock::NodeClock(rcl_clock_type_t clock_type)
: clock_(std::make_shared<rclcpp::Clock>(clock_type))
{
}

rclcpp::Clock::SharedPtr NodeClock::get_clock() { return clock_; }

rclcpp::Clock::ConstSharedPtr NodeClock::get_clock() const { return clock_; }

}  // namespace node_interfaces
}  // namespace rclcpp

#include "rclcpp/node_interfaces/node_timers.hpp"

#include "node_interfaces/node_group_helper.hpp"

namespace rclcpp
{
namespace node_interfaces
{

NodeTimers::NodeTimers(rclcpp::node_interfaces::NodeBaseInterface * node_base)
: node_base_(node_base)
{
}

void NodeTimers::add_timer(
  rclcpp::TimerBase::SharedPtr timer, rclcpp::CallbackGroup::SharedPtr callback_group)
{
  auto group = group_for(node_base_, callback_group, "timer");
  group->add_timer(timer);
  timer->attach_to_callback_group(group);
}

}  // namespace node_interfaces
}  // namespace rclcpp

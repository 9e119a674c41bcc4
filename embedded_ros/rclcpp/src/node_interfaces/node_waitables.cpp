#include "rclcpp/node_interfaces/node_waitables.hpp"

#include "node_interfaces/node_group_helper.hpp"

namespace rclcpp
{
namespace node_interfaces
{

NodeWaitables::NodeWaitables(rclcpp::node_interfaces::NodeBaseInterface * node_base)
: node_base_(node_base)
{
}

void NodeWaitables::add_waitable(
  rclcpp::Waitable::SharedPtr waitable_ptr, rclcpp::CallbackGroup::SharedPtr group)
{
  auto target = group_for(node_base_, group, "waitable");
  target->add_waitable(waitable_ptr);
  // The executor serving the group adds the waitable to its wait set from its next wait on.
  target->trigger_notify_guard_condition();
}

void NodeWaitables::remove_waitable(
  rclcpp::Waitable::SharedPtr waitable_ptr, rclcpp::CallbackGroup::SharedPtr group) noexcept
{
  auto target = group ? group : node_base_->get_default_callback_group();
  if (target && node_base_->callback_group_in_node(target)) {
    target->remove_waitable(waitable_ptr);
  }
}

}  // namespace node_interfaces
}  // namespace rclcpp

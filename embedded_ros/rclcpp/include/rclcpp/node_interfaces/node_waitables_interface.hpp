#ifndef RCLCPP__NODE_INTERFACES__NODE_WAITABLES_INTERFACE_HPP_
#define RCLCPP__NODE_INTERFACES__NODE_WAITABLES_INTERFACE_HPP_

#include "rclcpp/callback_group.hpp"
#include "rclcpp/macros.hpp"
#include "rclcpp/waitable.hpp"

namespace rclcpp
{
namespace node_interfaces
{

class NodeWaitablesInterface
{
public:
  RCLCPP_SMART_PTR_ALIASES_ONLY(NodeWaitablesInterface)

  virtual ~NodeWaitablesInterface() = default;
  /// Adds the waitable to `group` (the node's default group when null); the group's executor
  /// waits on it from its next wait (see Waitable).
  virtual void add_waitable(
    rclcpp::Waitable::SharedPtr waitable_ptr, rclcpp::CallbackGroup::SharedPtr group) = 0;
  virtual void remove_waitable(
    rclcpp::Waitable::SharedPtr waitable_ptr, rclcpp::CallbackGroup::SharedPtr group) noexcept = 0;
};

}  // namespace node_interfaces
}  // namespace rclcpp

#endif  // RCLCPP__NODE_INTERFACES__NODE_WAITABLES_INTERFACE_HPP_

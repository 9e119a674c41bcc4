#ifndef RCLCPP__DETAIL__CONTEXT_CHECK_HPP_
#define RCLCPP__DETAIL__CONTEXT_CHECK_HPP_

#include "rclcpp/context.hpp"
#include "rclcpp/node_interfaces/node_base_interface.hpp"

namespace rclcpp
{
namespace detail
{

/// Throws what rclcpp throws when rcl refuses `context` for a guard condition (a guard
/// condition's own or a timer's): RCLInvalidArgument for a context never initialised, RCLError
/// for one shut down. `prefix` is the rclcpp text in front of rcl's.
void check_context_usable(const rclcpp::Context & context, const char * prefix);

/// Throws the RCLError that rcl's entity initialisers cause through rcl_node_is_valid when the
/// node's context has been shut down.
void check_node_context_valid(
  rclcpp::node_interfaces::NodeBaseInterface & node_base, const char * prefix);

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__CONTEXT_CHECK_HPP_

#include "rclcpp/detail/context_check.hpp"

#include "rcl/types.h"
#include "rclcpp/exceptions.hpp"

namespace rclcpp
{
namespace detail
{

void check_context_usable(const rclcpp::Context & context, const char * prefix)
{
  switch (context.rcl_state()) {
    case Context::RclState::never_initialized:
      throw exceptions::RCLInvalidArgument(
        exceptions::RCLErrorBase(RCL_RET_INVALID_ARGUMENT, "context argument is null"), prefix);
    case Context::RclState::shut_down:
      throw exceptions::RCLError(
        exceptions::RCLErrorBase(
          RCL_RET_NOT_INIT,
          "the given context is not valid, either rcl_init() was not called or rcl_shutdown() "
          "was called."),
        prefix);
    case Context::RclState::valid:
      break;
  }
}

void check_node_context_valid(
  rclcpp::node_interfaces::NodeBaseInterface & node_base, const char * prefix)
{
  if (!node_base.get_context()->is_valid()) {
    throw exceptions::RCLError(
      exceptions::RCLErrorBase(RCL_RET_NODE_INVALID, "rcl node's context is invalid"), prefix);
  }
}

}  // namespace detail
}  // namespace rclcpp

#include "rclcpp/exceptions/exceptions.hpp"

#include <string>
#include <utility>
#include <vector>

namespace rclcpp
{
namespace exceptions
{

namespace
{

std::string join_prefix(const std::string & prefix, const std::string & message)
{
  return prefix.empty() ? message : prefix + ": " + message;
}

std::string join_unknown(const std::vector<std::string> & arguments)
{
  std::string joined;
  for (const auto & argument : arguments) {
    joined += (joined.empty() ? "" : "', '") + argument;
  }
  return joined;
}

}  // namespace

std::string NameValidationError::format_error(
  const char * name_type, const char * name, const char * error_msg, size_t invalid_index)
{
  std::string msg;
  msg += std::string("Invalid ") + name_type + ": " + error_msg + ":\n";
  msg += std::string("  '") + name + "'\n";
  msg += std::string("   ") + std::string(invalid_index, ' ') + "^\n";
  return msg;
}

RCLErrorBase::RCLErrorBase(int ret_in, const std::string & message_in)
: ret(ret_in), message(message_in), file(), line(0), formatted_message(message_in)
{
}

RCLError::RCLError(const RCLErrorBase & base_exc, const std::string & prefix)
: RCLErrorBase(base_exc), std::runtime_error(join_prefix(prefix, base_exc.formatted_message))
{
}

RCLInvalidArgument::RCLInvalidArgument(const RCLErrorBase & base_exc, const std::string & prefix)
: RCLErrorBase(base_exc), std::invalid_argument(join_prefix(prefix, base_exc.formatted_message))
{
}

RCLInvalidROSArgsError::RCLInvalidROSArgsError(
  const RCLErrorBase & base_exc, const std::string & prefix)
: RCLErrorBase(base_exc), std::runtime_error(join_prefix(prefix, base_exc.formatted_message))
{
}

UnknownROSArgsError::UnknownROSArgsError(std::vector<std::string> && unknown_ros_args_in)
: std::runtime_error("found unknown ROS arguments: '" + join_unknown(unknown_ros_args_in) + "'"),
  unknown_ros_args(std::move(unknown_ros_args_in))
{
}

}  // namespace exceptions
}  // namespace rclcpp

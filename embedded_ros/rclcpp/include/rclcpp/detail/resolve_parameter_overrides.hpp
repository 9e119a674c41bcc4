#ifndef RCLCPP__DETAIL__RESOLVE_PARAMETER_OVERRIDES_HPP_
#define RCLCPP__DETAIL__RESOLVE_PARAMETER_OVERRIDES_HPP_

#include <map>
#include <string>
#include <vector>

#include "rclcpp/detail/ros_arguments.hpp"
#include "rclcpp/parameter.hpp"

namespace rclcpp
{
namespace detail
{

/// The initial values for a node's parameters: global arguments (when given), then the node's
/// own arguments, then `parameter_overrides`; later sources win.
std::map<std::string, rclcpp::ParameterValue> resolve_parameter_overrides(
  const std::string & node_fqn, const std::vector<rclcpp::Parameter> & parameter_overrides,
  const RosArguments & local_args, const RosArguments * global_args);

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__RESOLVE_PARAMETER_OVERRIDES_HPP_

#ifndef NODE_INTERFACES__PARAMETER_CHECKS_HPP_
#define NODE_INTERFACES__PARAMETER_CHECKS_HPP_

#include <map>
#include <string>
#include <vector>

#include "rcl_interfaces/msg/set_parameters_result.hpp"
#include "rclcpp/node_interfaces/node_parameters.hpp"

namespace rclcpp
{
namespace node_interfaces
{

/// Checks new values against the descriptors in `infos` (type unless dynamically typed, integer
/// and floating point ranges). The reason of a type mismatch starts with "Wrong parameter type".
rcl_interfaces::msg::SetParametersResult check_parameters(
  std::map<std::string, ParameterInfo> & infos, const std::vector<rclcpp::Parameter> & parameters,
  bool allow_undeclared);

}  // namespace node_interfaces
}  // namespace rclcpp

#endif  // NODE_INTERFACES__PARAMETER_CHECKS_HPP_

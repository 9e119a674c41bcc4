#include "rclcpp/detail/resolve_parameter_overrides.hpp"

namespace rclcpp
{
namespace detail
{

std::map<std::string, rclcpp::ParameterValue> resolve_parameter_overrides(
  const std::string & node_fqn, const std::vector<rclcpp::Parameter> & parameter_overrides,
  const RosArguments & local_args, const RosArguments * global_args)
{
  std::map<std::string, rclcpp::ParameterValue> result;
  if (global_args != nullptr) {
    for (auto & entry : global_args->parameters_for(node_fqn)) {
      result[entry.first] = entry.second;
    }
  }
  for (auto & entry : local_args.parameters_for(node_fqn)) {
    result[entry.first] = entry.second;
  }
  for (const auto & parameter : parameter_overrides) {
    result[parameter.get_name()] = parameter.get_parameter_value();
  }
  return result;
}

}  // namespace detail
}  // namespace rclcpp

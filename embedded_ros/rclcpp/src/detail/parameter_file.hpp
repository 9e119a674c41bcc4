#ifndef DETAIL__PARAMETER_FILE_HPP_
#define DETAIL__PARAMETER_FILE_HPP_

#include <string>
#include <vector>

#include "rclcpp/detail/ros_arguments.hpp"
#include "rclcpp/parameter_value.hpp"

namespace rclcpp
{
namespace detail
{

/// Types a YAML value as the ROS parameter file parser does: quoted text is a string; plain
/// scalars are tried as bool, integer, double, then string; a sequence must hold one type.
/// Throws std::runtime_error describing what is wrong.
ParameterValue parameter_value_from_yaml_text(const std::string & yaml_text);

/// Reads a ROS 2 parameter file ("<node or pattern>: ros__parameters: {...}", nested keys
/// joined with '.'). Throws std::runtime_error describing what is wrong.
std::vector<ParameterRule> parse_parameter_file(const std::string & path);

/// True when the fully qualified node name matches a pattern such as "/**", "/ns/*" or "node".
bool node_pattern_matches(const std::string & pattern, const std::string & node_fqn);

}  // namespace detail
}  // namespace rclcpp

#endif  // DETAIL__PARAMETER_FILE_HPP_

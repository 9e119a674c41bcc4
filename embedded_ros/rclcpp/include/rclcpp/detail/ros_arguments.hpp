#ifndef RCLCPP__DETAIL__ROS_ARGUMENTS_HPP_
#define RCLCPP__DETAIL__ROS_ARGUMENTS_HPP_

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "rclcpp/parameter_value.hpp"

namespace rclcpp
{
namespace detail
{

/// A "-r from:=to" rule, optionally limited to one node ("node:from:=to").
struct RemapRule
{
  std::string node_name;  // empty: every node
  std::string from;
  std::string to;
};

/// One parameter value from a parameter file or a "-p" rule, with the node pattern it is for
/// ("/**" for every node).
struct ParameterRule
{
  std::string node_pattern;
  std::string name;
  ParameterValue value;
};

/// The ROS-specific part of a command line ("--ros-args ... [--]"), parsed.
struct RosArguments
{
  std::vector<RemapRule> remap_rules;
  /// Values from parameter files in order, then from "-p" rules in order; later wins.
  std::vector<ParameterRule> parameter_rules;
  std::optional<int> default_log_level;
  std::map<std::string, int> logger_levels;
  std::vector<std::string> non_ros_arguments;

  /// Parses a whole argument vector; throws RCLInvalidROSArgsError naming a malformed argument
  /// or parameter file, UnknownROSArgsError for unknown flags after --ros-args.
  static RosArguments parse(const std::vector<std::string> & arguments);

  /// The first "__node:=" rule for the node, if any.
  std::optional<std::string> find_node_name_remap(const std::string & node_name) const;
  /// The first "__ns:=" rule for the node, if any.
  std::optional<std::string> find_namespace_remap(const std::string & node_name) const;
  /// The first rule whose (expanded) source equals the fully qualified `name`; the result is
  /// the expanded target.
  std::optional<std::string> find_name_remap(
    const std::string & node_name, const std::string & node_namespace, const std::string & name,
    bool is_service) const;
  /// The parameter values that apply to the node with this fully qualified name.
  std::map<std::string, ParameterValue> parameters_for(const std::string & node_fqn) const;
  /// Applies the log levels to the logging system.
  void apply_log_levels() const;
};

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__ROS_ARGUMENTS_HPP_

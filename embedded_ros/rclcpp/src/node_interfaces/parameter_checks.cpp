#include "node_interfaces/parameter_checks.hpp"

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace rclcpp
{
namespace node_interfaces
{

namespace
{

using rcl_interfaces::msg::ParameterDescriptor;
using rcl_interfaces::msg::SetParametersResult;

bool doubles_equal(double x, double y, double ulp = 100.0)
{
  return std::abs(x - y) <= std::numeric_limits<double>::epsilon() * std::abs(x + y) * ulp;
}

SetParametersResult range_failure(const std::string & name, const char * range_type)
{
  SetParametersResult result;
  result.successful = false;
  std::ostringstream ss;
  ss << "Parameter {" << name << "} doesn't comply with " << range_type << " range.";
  result.reason = ss.str();
  return result;
}

bool integer_in_range(int64_t v, const rcl_interfaces::msg::IntegerRange & range)
{
  if (v == range.from_value || v == range.to_value) {
    return true;
  }
  if (v < range.from_value || v > range.to_value) {
    return false;
  }
  return range.step == 0 || (v - range.from_value) % static_cast<int64_t>(range.step) == 0;
}

bool double_in_range(double v, const rcl_interfaces::msg::FloatingPointRange & range)
{
  if (doubles_equal(v, range.from_value) || doubles_equal(v, range.to_value)) {
    return true;
  }
  if (v < range.from_value || v > range.to_value) {
    return false;
  }
  if (range.step == 0.0) {
    return true;
  }
  double rounded_div = std::round((v - range.from_value) / range.step);
  return doubles_equal(v, range.from_value + rounded_div * range.step);
}

SetParametersResult check_range(
  const ParameterDescriptor & descriptor, const rclcpp::ParameterValue & value)
{
  SetParametersResult ok;
  ok.successful = true;
  if (!descriptor.integer_range.empty() && value.get_type() == rclcpp::PARAMETER_INTEGER) {
    return integer_in_range(value.get<int64_t>(), descriptor.integer_range.at(0))
             ? ok
             : range_failure(descriptor.name, "integer");
  }
  if (!descriptor.floating_point_range.empty() && value.get_type() == rclcpp::PARAMETER_DOUBLE) {
    return double_in_range(value.get<double>(), descriptor.floating_point_range.at(0))
             ? ok
             : range_failure(descriptor.name, "floating point");
  }
  return ok;
}

std::string type_reason(
  const std::string & name, const std::string & old_type, const std::string & new_type)
{
  std::ostringstream ss;
  ss << "Wrong parameter type, parameter {" << name << "} is of type {" << old_type
     << "}, setting it to {" << new_type << "} is not allowed.";
  return ss.str();
}

}  // namespace

SetParametersResult check_parameters(
  std::map<std::string, ParameterInfo> & infos, const std::vector<rclcpp::Parameter> & parameters,
  bool allow_undeclared)
{
  SetParametersResult result;
  result.successful = true;
  for (const rclcpp::Parameter & parameter : parameters) {
    const std::string & name = parameter.get_name();
    ParameterDescriptor descriptor;
    auto it = infos.find(name);
    if (it != infos.end()) {
      descriptor = it->second.descriptor;
    } else if (allow_undeclared) {
      descriptor.dynamic_typing = true;
    }
    if (descriptor.name.empty()) {
      descriptor.name = name;
    }
    const auto new_type = parameter.get_type();
    const auto specified_type = static_cast<rclcpp::ParameterType>(descriptor.type);
    if (!descriptor.dynamic_typing && specified_type != new_type) {
      result.successful = false;
      result.reason =
        type_reason(name, rclcpp::to_string(specified_type), rclcpp::to_string(new_type));
      return result;
    }
    result = check_range(descriptor, parameter.get_parameter_value());
    if (!result.successful) {
      return result;
    }
  }
  return result;
}

}  // namespace node_interfaces
}  // namespace rclcpp

#include "rclcpp/detail/ros_arguments.hpp"

#include <strings.h>

#include <string>
#include <utility>
#include <vector>

#include "detail/name_validation.hpp"
#include "detail/parameter_file.hpp"
#include "rclcpp/exceptions.hpp"
#include "rcutils/logging.h"

namespace rclcpp
{
namespace detail
{

namespace
{

constexpr int kInvalidRosArgs = 1002;

[[noreturn]] void fail(const std::string & message)
{
  throw exceptions::RCLInvalidROSArgsError(exceptions::RCLErrorBase(kInvalidRosArgs, message), "");
}

/// Splits "[node:]left:=right"; false when there is no ":=".
bool split_rule(
  const std::string & rule, std::string & node, std::string & left, std::string & right)
{
  const size_t assign = rule.find(":=");
  if (assign == std::string::npos) {
    return false;
  }
  left = rule.substr(0, assign);
  right = rule.substr(assign + 2);
  const size_t colon = left.find(':');
  node.clear();
  if (colon != std::string::npos) {
    node = left.substr(0, colon);
    left = left.substr(colon + 1);
  }
  return !left.empty();
}

int parse_level(const std::string & text, const std::string & flag)
{
  int level = 0;
  if (
    text.empty() ||
    rcutils_logging_severity_level_from_string(text.c_str(), nullptr, &level) != RCUTILS_RET_OK ||
    level == RCUTILS_LOG_SEVERITY_UNSET) {
    fail(
      "Couldn't parse log level: '" + flag + " " + text +
      "'. Error: expected one of debug, info, warn, error, fatal");
  }
  return level;
}

class Parser
{
public:
  explicit Parser(const std::vector<std::string> & arguments) : arguments_(arguments) {}

  RosArguments run()
  {
    for (index_ = 0; index_ < arguments_.size(); ++index_) {
      const std::string & argument = arguments_[index_];
      if (argument == "--ros-args") {
        in_ros_args_ = true;
      } else if (in_ros_args_ && argument == "--") {
        in_ros_args_ = false;
      } else if (in_ros_args_) {
        parse_ros_argument(argument);
      } else {
        result_.non_ros_arguments.push_back(argument);
      }
    }
    params_from_files_.insert(
      params_from_files_.end(), params_from_rules_.begin(), params_from_rules_.end());
    result_.parameter_rules = std::move(params_from_files_);
    if (!unknown_.empty()) {
      throw exceptions::UnknownROSArgsError(std::move(unknown_));
    }
    return result_;
  }

private:
  const std::string & value_of(const std::string & flag)
  {
    if (index_ + 1 >= arguments_.size()) {
      fail(
        "Couldn't parse trailing " + flag + " flag. No " +
        (flag == "--params-file" ? std::string("file path") : std::string("value")) + " provided.");
    }
    return arguments_[++index_];
  }

  void parse_ros_argument(const std::string & argument)
  {
    if (argument == "-r" || argument == "--remap") {
      parse_remap(argument, value_of(argument));
    } else if (argument == "-p" || argument == "--param") {
      parse_parameter(argument, value_of(argument));
    } else if (argument == "--params-file") {
      parse_params_file(argument, value_of(argument));
    } else if (argument == "--log-level") {
      parse_log_level(argument, value_of(argument));
    } else if (argument == "-e" || argument == "--enclave" || argument == "--log-file-name") {
      value_of(argument);
    } else if (is_logging_switch(argument)) {
      return;
    } else {
      unknown_.push_back(argument);
    }
  }

  static bool is_logging_switch(const std::string & argument)
  {
    static const char * const switches[] = {
      "--enable-rosout-logs",  "--disable-rosout-logs",      "--enable-stdout-logs",
      "--disable-stdout-logs", "--enable-external-lib-logs", "--disable-external-lib-logs"};
    for (const char * known : switches) {
      if (argument == known) {
        return true;
      }
    }
    return false;
  }

  void parse_remap(const std::string & flag, const std::string & rule)
  {
    RemapRule remap;
    if (!split_rule(rule, remap.node_name, remap.from, remap.to) || remap.to.empty()) {
      fail(
        "Couldn't parse remap rule: '" + flag + " " + rule + "'. Error: expected [node:]from:=to");
    }
    result_.remap_rules.push_back(remap);
  }

  void parse_parameter(const std::string & flag, const std::string & rule)
  {
    std::string node;
    std::string name;
    std::string value_text;
    if (!split_rule(rule, node, name, value_text)) {
      fail(
        "Couldn't parse parameter override rule: '" + flag + " " + rule +
        "'. Error: expected [node:]name:=value");
    }
    try {
      params_from_rules_.push_back(ParameterRule{
        node.empty() ? "/**" : node, name, parameter_value_from_yaml_text(value_text)});
    } catch (const std::runtime_error & error) {
      fail(
        "Couldn't parse parameter override rule: '" + flag + " " + rule +
        "'. Error: " + error.what());
    }
  }

  void parse_params_file(const std::string & flag, const std::string & path)
  {
    try {
      auto rules = parse_parameter_file(path);
      params_from_files_.insert(params_from_files_.end(), rules.begin(), rules.end());
    } catch (const std::runtime_error & error) {
      fail("Couldn't parse params file: '" + flag + " " + path + "'. Error: " + error.what());
    }
  }

  void parse_log_level(const std::string & flag, const std::string & value)
  {
    const size_t assign = value.find(":=");
    if (assign == std::string::npos) {
      result_.default_log_level = parse_level(value, flag);
      return;
    }
    const std::string logger = value.substr(0, assign);
    if (logger.empty()) {
      fail("Couldn't parse log level: '" + flag + " " + value + "'. Error: empty logger name");
    }
    result_.logger_levels[logger] = parse_level(value.substr(assign + 2), flag);
  }

  const std::vector<std::string> & arguments_;
  size_t index_ = 0;
  bool in_ros_args_ = false;
  RosArguments result_;
  std::vector<ParameterRule> params_from_files_;
  std::vector<ParameterRule> params_from_rules_;
  std::vector<std::string> unknown_;
};

bool applies_to(const RemapRule & rule, const std::string & node_name)
{
  return rule.node_name.empty() || rule.node_name == node_name;
}

}  // namespace

RosArguments RosArguments::parse(const std::vector<std::string> & arguments)
{
  return Parser(arguments).run();
}

std::optional<std::string> RosArguments::find_node_name_remap(const std::string & node_name) const
{
  for (const auto & rule : remap_rules) {
    if ((rule.from == "__node" || rule.from == "__name") && applies_to(rule, node_name)) {
      return rule.to;
    }
  }
  return std::nullopt;
}

std::optional<std::string> RosArguments::find_namespace_remap(const std::string & node_name) const
{
  for (const auto & rule : remap_rules) {
    if (rule.from == "__ns" && applies_to(rule, node_name)) {
      return rule.to;
    }
  }
  return std::nullopt;
}

std::optional<std::string> RosArguments::find_name_remap(
  const std::string & node_name, const std::string & node_namespace, const std::string & name,
  bool is_service) const
{
  for (const auto & rule : remap_rules) {
    if (rule.from.rfind("__", 0) == 0 || !applies_to(rule, node_name)) {
      continue;
    }
    try {
      if (expand_topic_or_service_name(rule.from, node_name, node_namespace, is_service) == name) {
        return expand_topic_or_service_name(rule.to, node_name, node_namespace, is_service);
      }
    } catch (const std::invalid_argument &) {
      continue;  // a rule that is no valid name for this node cannot match
    }
  }
  return std::nullopt;
}

std::map<std::string, ParameterValue> RosArguments::parameters_for(
  const std::string & node_fqn) const
{
  std::map<std::string, ParameterValue> values;
  for (const auto & rule : parameter_rules) {
    if (node_pattern_matches(rule.node_pattern, node_fqn)) {
      values[rule.name] = rule.value;
    }
  }
  return values;
}

void RosArguments::apply_log_levels() const
{
  if (default_log_level) {
    rcutils_logging_set_default_logger_level(*default_log_level);
  }
  for (const auto & entry : logger_levels) {
    rcutils_logging_set_logger_level(entry.first.c_str(), entry.second);
  }
}

}  // namespace detail
}  // namespace rclcpp

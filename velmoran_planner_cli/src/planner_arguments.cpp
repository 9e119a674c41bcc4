#include "velmoran_planner_cli/planner_arguments.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "velmoran_planner_cli/usage_error.hpp"
#include "velmoran_protocol/run_modes.hpp"

namespace velmoran_planner
{
namespace
{

using Goal = velmoran_protocol::action::Planner::Goal;

constexpr double kPi = 3.14159265358979323846;

const std::map<std::string, Verb> & verbs()
{
  static const std::map<std::string, Verb> table{
    {"send", Verb::Send},
    {"cancel", Verb::Cancel},
    {"stop-task", Verb::StopTask},
    {"estop", Verb::Estop},
    {"arm-retract-check", Verb::ArmRetractCheck}};
  return table;
}

/// The options each command takes besides --node, --namespace and --timeout.
const std::set<std::string> & optionsOf(Verb verb)
{
  static const std::set<std::string> none;
  static const std::set<std::string> send{"--run-mode",  "--pose",      "--zone",    "--command",
                                          "--max-speed", "--action-id", "--distance"};
  static const std::set<std::string> arm_check{"--point"};
  switch (verb) {
    case Verb::Send:
      return send;
    case Verb::ArmRetractCheck:
      return arm_check;
    default:
      return none;
  }
}

const std::set<std::string> & allOptions()
{
  static const std::set<std::string> all{"--node",      "--namespace", "--timeout", "--run-mode",
                                         "--pose",      "--zone",      "--command", "--max-speed",
                                         "--action-id", "--distance",  "--point"};
  return all;
}

/// A whole-text decimal number, finite.
bool parseDouble(const std::string & text, double & value)
{
  if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) {
    return false;
  }
  char * end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return errno == 0 && *end == '\0' && std::isfinite(value);
}

bool parseInteger(const std::string & text, long long low, long long high, long long & value)
{
  if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) {
    return false;
  }
  char * end = nullptr;
  errno = 0;
  value = std::strtoll(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0' && value >= low && value <= high;
}

/// A run mode by its name, in any letter case, or by its number. The node serves run modes it has
/// no name for, so any 32-bit number is one.
std::optional<int32_t> parseRunMode(const std::string & text)
{
  std::string upper = text;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) {
    return static_cast<char>(std::toupper(c));
  });
  if (const auto named = velmoran_protocol::runModeByName(upper)) {
    return named;
  }
  long long number = 0;
  if (!parseInteger(
        text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), number)) {
    return std::nullopt;
  }
  return static_cast<int32_t>(number);
}

/// The numbers of a comma-separated list such as "1,2,90"; false when one is not a number.
bool parseNumbers(const std::string & text, std::vector<double> & numbers)
{
  numbers.clear();
  std::string::size_type start = 0;
  while (true) {
    const auto comma = text.find(',', start);
    double number = 0.0;
    if (!parseDouble(text.substr(start, comma - start), number)) {
      return false;
    }
    numbers.push_back(number);
    if (comma == std::string::npos) {
      return true;
    }
    start = comma + 1;
  }
}

geometry_msgs::msg::PoseStamped parsePose(const std::string & option, const std::string & text)
{
  std::vector<double> numbers;
  if (!parseNumbers(text, numbers) || numbers.size() < 2 || numbers.size() > 3) {
    throw UsageError(
      "argument " + option + ": invalid pose '" + text + "' (expected x,y or x,y,yaw_degrees)");
  }
  geometry_msgs::msg::PoseStamped pose;
  pose.header.frame_id = "map";
  pose.pose.position.x = numbers[0];
  pose.pose.position.y = numbers[1];
  const double yaw = numbers.size() == 3 ? numbers[2] * kPi / 180.0 : 0.0;
  pose.pose.orientation.z = std::sin(yaw / 2.0);
  pose.pose.orientation.w = std::cos(yaw / 2.0);
  return pose;
}

geometry_msgs::msg::PoseStamped parsePoint(const std::string & text)
{
  std::vector<double> numbers;
  if (!parseNumbers(text, numbers) || numbers.size() != 2) {
    throw UsageError("argument --point: invalid point '" + text + "' (expected x,y)");
  }
  return parsePose("--point", text);
}

geometry_msgs::msg::Polygon parseZone(const std::string & text)
{
  geometry_msgs::msg::Polygon zone;
  std::string::size_type start = 0;
  bool valid = true;
  while (valid) {
    const auto semicolon = text.find(';', start);
    std::vector<double> numbers;
    const std::string corner = text.substr(start, semicolon - start);
    valid = parseNumbers(corner, numbers) && numbers.size() == 2 &&
            std::abs(numbers[0]) <= std::numeric_limits<float>::max() &&
            std::abs(numbers[1]) <= std::numeric_limits<float>::max();
    if (valid) {
      geometry_msgs::msg::Point32 point;
      point.x = static_cast<float>(numbers[0]);
      point.y = static_cast<float>(numbers[1]);
      zone.points.push_back(point);
    }
    if (semicolon == std::string::npos) {
      break;
    }
    start = semicolon + 1;
  }
  if (!valid || zone.points.size() < 3) {
    throw UsageError(
      "argument --zone: invalid zone '" + text + "' (expected at least three corners x,y;x,y;x,y)");
  }
  return zone;
}

float parseFloat(const std::string & option, const std::string & text, bool non_negative)
{
  double value = 0.0;
  if (
    !parseDouble(text, value) || std::abs(value) > std::numeric_limits<float>::max() ||
    (non_negative && value < 0.0)) {
    throw UsageError(
      "argument " + option + ": invalid " + (non_negative ? "non-negative " : "") + "number '" +
      text + "'");
  }
  return static_cast<float>(value);
}

bool validToken(const std::string & token)
{
  if (token.empty() || std::isdigit(static_cast<unsigned char>(token.front()))) {
    return false;
  }
  for (const char c : token) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') {
      return false;
    }
  }
  return true;
}

/// "/" or "/a/b" from "a/b", "/a/b"; empty when a part is not a valid name.
std::string absoluteNamespace(const std::string & text)
{
  if (text == "/") {
    return text;
  }
  const std::string absolute = text.empty() || text.front() != '/' ? "/" + text : text;
  std::string::size_type start = 1;
  while (true) {
    const auto slash = absolute.find('/', start);
    if (!validToken(absolute.substr(start, slash - start))) {
      return "";
    }
    if (slash == std::string::npos) {
      return absolute;
    }
    start = slash + 1;
  }
}

/// Splits "--name=value" into its two parts; the value is empty when there is no "=".
std::pair<std::string, std::optional<std::string>> splitOption(const std::string & argument)
{
  const auto equals = argument.find('=');
  if (argument.rfind("--", 0) != 0 || equals == std::string::npos) {
    return {argument, std::nullopt};
  }
  return {argument.substr(0, equals), argument.substr(equals + 1)};
}

}  // namespace

std::string PlannerArguments::synopsis()
{
  return "usage: velmoran_planner [--node NAME] [--namespace NS] [--timeout S] "
         "{send,cancel,stop-task,estop,arm-retract-check} ...\n";
}

std::string PlannerArguments::help()
{
  std::ostringstream text;
  text << synopsis() << R"(
Sends jobs and requests to the navigation decision node.

Commands:
  send --run-mode MODE [--pose x,y[,yaw_degrees]]... [--zone "x,y;x,y;x,y"]...
       [--command N] [--max-speed V] [--action-id N] [--distance D]
                        send a Planner goal, print its feedback and its result;
                        Ctrl-C cancels the goal
  cancel                cancel every goal of the node's planner server
  stop-task             ask the node to stop the running job (service stop_task)
  estop on|off          publish the emergency-stop state on /robot_info_level_zero
  arm-retract-check --point x,y [--point x,y]...
                        ask /arm_retract_detect whether the arm must be retracted
                        before working at one of the points

Options:
  --node NAME           the decision node, a name or a full name /ns/name
                        (default velmoran_nav2_decision)
  --namespace NS        the node's namespace (default /)
  --timeout S           seconds the command may take (send: no limit, a goal still
                        running then is canceled; other commands: 10)
  -h, --help            show this help

Poses are in the frame "map"; yaw in degrees (default 0).

Run modes (name or number; any other number is sent as it is):
)";
  for (const auto & [name, value] : velmoran_protocol::namedRunModes()) {
    text << "  " << value
         << (value < 10 && value >= 0 ? "    "
             : value < 100            ? "   "
                                      : "  ")
         << name << "\n";
  }
  text << R"(
Exit status: 0 success; 1 failure, rejection, cancellation or time-out; 2 usage error.
)";
  return text.str();
}

PlannerRequest PlannerArguments::parse(const std::vector<std::string> & arguments)
{
  PlannerRequest request;
  for (const auto & argument : arguments) {
    if (argument == "-h" || argument == "--help") {
      request.verb = Verb::Help;
      return request;
    }
  }

  std::optional<Verb> verb;
  std::string verb_name;
  std::vector<std::string> positionals;
  std::map<std::string, std::vector<std::string>> values;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    auto [option, value] = splitOption(arguments[i]);
    if (option.size() > 1 && option.front() == '-') {
      if (allOptions().count(option) == 0) {
        throw UsageError("unrecognized argument '" + option + "'");
      }
      if (!value) {
        if (i + 1 == arguments.size()) {
          throw UsageError("argument " + option + ": expected a value");
        }
        // The next argument is the value even if it starts with '-' (a negative coordinate).
        value = arguments[++i];
      }
      values[option].push_back(*value);
    } else if (!verb) {
      const auto known = verbs().find(option);
      if (known == verbs().end()) {
        throw UsageError("unknown command '" + option + "'");
      }
      verb = known->second;
      verb_name = option;
    } else {
      positionals.push_back(option);
    }
  }
  if (!verb) {
    throw UsageError("missing command (send, cancel, stop-task, estop, arm-retract-check)");
  }
  request.verb = *verb;

  for (const auto & [option, given] : values) {
    const bool general = option == "--node" || option == "--namespace" || option == "--timeout";
    if (!general && optionsOf(*verb).count(option) == 0) {
      throw UsageError("argument " + option + ": not allowed with '" + verb_name + "'");
    }
    const bool repeatable = option == "--pose" || option == "--zone" || option == "--point";
    if (!repeatable && given.size() > 1) {
      throw UsageError("argument " + option + ": given more than once");
    }
  }
  const auto single = [&values](const std::string & option) -> std::optional<std::string> {
    const auto found = values.find(option);
    return found == values.end() ? std::nullopt : std::optional<std::string>(found->second[0]);
  };
  const auto all = [&values](const std::string & option) {
    const auto found = values.find(option);
    return found == values.end() ? std::vector<std::string>{} : found->second;
  };

  if (const auto name_space = single("--namespace")) {
    request.node_namespace = absoluteNamespace(*name_space);
    if (request.node_namespace.empty()) {
      throw UsageError("argument --namespace: invalid namespace '" + *name_space + "'");
    }
  }
  if (const auto node = single("--node")) {
    const auto slash = node->rfind('/');
    const std::string name = slash == std::string::npos ? *node : node->substr(slash + 1);
    const std::string name_space = slash == std::string::npos
                                     ? ""
                                     : absoluteNamespace(slash == 0 ? "/" : node->substr(0, slash));
    if (!validToken(name) || (slash != std::string::npos && name_space.empty())) {
      throw UsageError("argument --node: invalid node name '" + *node + "'");
    }
    if (slash != std::string::npos) {
      if (single("--namespace") && name_space != request.node_namespace) {
        throw UsageError(
          "argument --node: the namespace of '" + *node + "' differs from --namespace '" +
          request.node_namespace + "'");
      }
      request.node_namespace = name_space;
    }
    request.node_name = name;
  }
  if (const auto timeout = single("--timeout")) {
    double seconds = 0.0;
    if (!parseDouble(*timeout, seconds) || seconds <= 0.0 || seconds > 1e9) {
      throw UsageError("argument --timeout: invalid number of seconds '" + *timeout + "'");
    }
    request.timeout_seconds = seconds;
  }

  switch (*verb) {
    case Verb::Send: {
      const auto run_mode = single("--run-mode");
      if (!run_mode) {
        throw UsageError("argument --run-mode: required by 'send'");
      }
      const auto mode = parseRunMode(*run_mode);
      if (!mode) {
        throw UsageError(
          "argument --run-mode: invalid run mode '" + *run_mode + "' (see --help for the names)");
      }
      request.goal.run_mode = *mode;
      for (const auto & pose : all("--pose")) {
        request.goal.goal_poses.push_back(parsePose("--pose", pose));
      }
      for (const auto & zone : all("--zone")) {
        request.goal.goal_zones.push_back(parseZone(zone));
      }
      long long number = 0;
      if (const auto command = single("--command")) {
        if (!parseInteger(*command, 0, std::numeric_limits<uint32_t>::max(), number)) {
          throw UsageError("argument --command: invalid unsigned 32-bit number '" + *command + "'");
        }
        request.goal.command = static_cast<uint32_t>(number);
      }
      if (const auto action_id = single("--action-id")) {
        if (!parseInteger(
              *action_id, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
              number)) {
          throw UsageError("argument --action-id: invalid 32-bit number '" + *action_id + "'");
        }
        request.goal.action_id = static_cast<int32_t>(number);
      }
      if (const auto max_speed = single("--max-speed")) {
        request.goal.max_speed = parseFloat("--max-speed", *max_speed, true);
      }
      if (const auto distance = single("--distance")) {
        request.goal.distance = parseFloat("--distance", *distance, false);
      }
      break;
    }
    case Verb::Estop: {
      if (positionals.empty()) {
        throw UsageError("argument on|off: required by 'estop'");
      }
      if (positionals[0] != "on" && positionals[0] != "off") {
        throw UsageError("argument on|off: expected 'on' or 'off', got '" + positionals[0] + "'");
      }
      request.emergency_stop = positionals[0] == "on";
      positionals.erase(positionals.begin());
      break;
    }
    case Verb::ArmRetractCheck: {
      const auto points = all("--point");
      if (points.empty()) {
        throw UsageError("argument --point: required by 'arm-retract-check'");
      }
      for (const auto & point : points) {
        request.work_points.push_back(parsePoint(point));
      }
      break;
    }
    default:
      break;
  }
  if (!positionals.empty()) {
    throw UsageError("unrecognized argument '" + positionals[0] + "'");
  }
  return request;
}

}  // namespace velmoran_planner

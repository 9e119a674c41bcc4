#include "velmoran_planner_cli/run_modes.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <limits>

#include "velmoran_protocol/action/planner.hpp"

namespace velmoran_planner
{

const std::vector<std::pair<std::string, int32_t>> & RunModes::table()
{
  using Goal = velmoran_protocol::action::Planner::Goal;
  static const std::vector<std::pair<std::string, int32_t>> modes{
    {"NONE", Goal::NONE},
    {"NAVIGATION", Goal::NAVIGATION},
    {"STATICHUICOVERAGE", Goal::STATICHUICOVERAGE},
    {"CHARGE", Goal::CHARGE},
    {"NAVIGATIONPID", Goal::NAVIGATIONPID},
    {"LIFT", Goal::LIFT},
    {"LIFT_OUT", Goal::LIFT_OUT},
    {"LIFT_WAITING_AREA", Goal::LIFT_WAITING_AREA},
    {"NAVIGATION4DYNAMICCOVERAGE", Goal::NAVIGATION4DYNAMICCOVERAGE},
    {"DYNAMICCOVERAGE", Goal::DYNAMICCOVERAGE},
    {"DYNAMICCOVERAGERESIDUESZONES", Goal::DYNAMICCOVERAGERESIDUESZONES},
    {"NAVIGATION4WATERUPTAKE", Goal::NAVIGATION4WATERUPTAKE},
    {"FIXED_DISTANCE_NAVIGATION", Goal::FIXED_DISTANCE_NAVIGATION},
    {"NAVIGATION_POSE_OFFSET", Goal::NAVIGATION_POSE_OFFSET},
    {"NAVIGATION_LATERAL_MOVE", Goal::NAVIGATION_LATERAL_MOVE},
    {"NAVIGATION_LATERAL_MOVE_WITH_ODOM", Goal::NAVIGATION_LATERAL_MOVE_WITH_ODOM},
    {"NAVIGATION_WITH_ARM", Goal::NAVIGATION_WITH_ARM},
    {"NARROW_SPACE_NAVIGATION", Goal::NARROW_SPACE_NAVIGATION},
    {"ENTER_CUBICLE", Goal::ENTER_CUBICLE},
    {"EXIT_CUBICLE", Goal::EXIT_CUBICLE},
    {"NAVIGATION_ALLOW_HORIZONTAL_MOVEMENT", Goal::NAVIGATION_ALLOW_HORIZONTAL_MOVEMENT},
    {"NAVIGATION_PRECISE_GOAL_REACHING", Goal::NAVIGATION_PRECISE_GOAL_REACHING},
    {"STATICGONGCOVERAGE", Goal::STATICGONGCOVERAGE},
  };
  return modes;
}

std::optional<int32_t> RunModes::parse(const std::string & text)
{
  std::string upper = text;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) {
    return static_cast<char>(std::toupper(c));
  });
  for (const auto & [name, value] : table()) {
    if (name == upper) {
      return value;
    }
  }
  // The node serves run modes it has no name for, so any 32-bit number is a run mode.
  if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) {
    return std::nullopt;
  }
  char * end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (
    errno != 0 || *end != '\0' || value < std::numeric_limits<int32_t>::min() ||
    value > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

}  // namespace velmoran_planner

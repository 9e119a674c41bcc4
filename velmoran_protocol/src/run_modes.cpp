#include "velmoran_protocol/run_modes.hpp"

#include <algorithm>

#include "velmoran_protocol/action/planner.hpp"

namespace velmoran_protocol
{

const std::vector<NamedRunMode> & namedRunModes()
{
  using Goal = action::Planner::Goal;
  static const std::vector<NamedRunMode> modes{
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

std::optional<int32_t> runModeByName(std::string_view name)
{
  const auto & modes = namedRunModes();
  const auto found = std::find_if(
    modes.begin(), modes.end(), [name](const NamedRunMode & mode) { return mode.name == name; });
  if (found == modes.end()) {
    return std::nullopt;
  }
  return found->value;
}

const std::string & runModeName(int32_t run_mode)
{
  static const std::string unknown{kUnknownRunModeName};
  const auto & modes = namedRunModes();
  const auto found = std::find_if(
    modes.begin(), modes.end(),
    [run_mode](const NamedRunMode & mode) { return mode.value == run_mode; });
  return found != modes.end() ? found->name : unknown;
}

}  // namespace velmoran_protocol

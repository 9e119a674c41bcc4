#pragma once

#include <string>
#include <vector>

#include "velmoran_planner_cli/planner_request.hpp"

namespace velmoran_planner
{

/// Turns the arguments of velmoran_planner (without the program name) into a request. Bad
/// arguments raise a UsageError whose text names the argument.
class PlannerArguments
{
public:
  static PlannerRequest parse(const std::vector<std::string> & arguments);
  /// The one-line synopsis printed before a usage error.
  static std::string synopsis();
  /// The text of --help: commands, options, run modes and exit statuses.
  static std::string help();
};

}  // namespace velmoran_planner

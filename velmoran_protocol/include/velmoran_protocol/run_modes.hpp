#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmoran_protocol
{

/// A run mode of a Planner goal that has a name.
struct NamedRunMode
{
  std::string name;
  int32_t value;
};

/// The name given to run modes that have none.
inline constexpr std::string_view kUnknownRunModeName = "UNKNOWN";

/// The named run modes, in the order of their values.
const std::vector<NamedRunMode> & namedRunModes();

/// The run mode called `name`, spelt exactly as in the table; empty for any other text.
std::optional<int32_t> runModeByName(std::string_view name);

/// The name of `run_mode`, kUnknownRunModeName for values that have none.
const std::string & runModeName(int32_t run_mode);

}  // namespace velmoran_protocol

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmoran_planner
{

/// The run modes of a Planner goal by name, in the order of their values.
class RunModes
{
public:
  static const std::vector<std::pair<std::string, int32_t>> & table();
  /// The value of a run-mode name (any letter case) or of a number; empty for neither.
  static std::optional<int32_t> parse(const std::string & text);
};

}  // namespace velmoran_planner

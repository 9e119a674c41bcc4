#pragma once

#include <stdexcept>
#include <string>

namespace velmoran_planner
{

/// A command line that cannot be carried out; the text names the argument at fault.
class UsageError : public std::runtime_error
{
public:
  explicit UsageError(const std::string & what) : std::runtime_error(what) {}
};

}  // namespace velmoran_planner

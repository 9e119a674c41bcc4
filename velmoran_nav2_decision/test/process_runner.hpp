#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velmoran::test
{

struct ProcessOutput
{
  int exit_status{-1};  ///< exit code, or -1 if the process did not exit normally
  std::string out;
  std::string err;
};

/// Environment changes for a child: a value sets the variable, std::nullopt removes it.
using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

/// Runs `program` with `arguments` and the changed environment, waits for it and returns what it wrote.
ProcessOutput runProcess(
  const std::string & program, const std::vector<std::string> & arguments,
  const EnvironmentChanges & changes);

}  // namespace velmoran::test

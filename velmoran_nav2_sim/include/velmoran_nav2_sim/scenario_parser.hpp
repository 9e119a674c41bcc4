#pragma once

#include <stdexcept>
#include <string>

#include "velmoran_nav2_sim/scenario.hpp"

namespace velmoran_nav2_sim
{

/// A scenario file that cannot be played: "<file>:<line>: <field>: <what is wrong>".
class ScenarioError : public std::runtime_error
{
public:
  ScenarioError(
    const std::string & file, int line, const std::string & field, const std::string & what);

  const std::string & file() const { return file_; }
  int line() const { return line_; }
  const std::string & field() const { return field_; }

private:
  std::string file_;
  int line_;
  std::string field_;
};

/// Reads scenario files (YAML). Every key is checked: an unknown key, a value of the wrong type
/// or a missing field throws ScenarioError naming the file, the line and the field.
class ScenarioParser
{
public:
  static Scenario parseFile(const std::string & path);
  /// `file` only names the text in errors.
  static Scenario parseText(const std::string & text, const std::string & file);
};

/// Run mode by its name (as in the Planner action, e.g. "NAVIGATION") or by its number.
std::optional<int32_t> runModeFromText(const std::string & text);

}  // namespace velmoran_nav2_sim

#pragma once

#include <cstddef>
#include <cstdint>
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

/// Reads scenario files (YAML). Every key is checked: an unknown or repeated key, a value of the
/// wrong type or out of its range, or a missing field throws ScenarioError naming the file, the
/// line and the field.
class ScenarioParser
{
public:
  /// Larger files, and files that are not regular files (a device, a pipe), are refused unread.
  static constexpr std::uintmax_t kMaxFileBytes = 16U * 1024U * 1024U;
  /// Every x and y lies within +-kWorldLimit (geometry.hpp); yaws in degrees within this.
  static constexpr double kMaxYawDegrees = 360.0;
  /// `distance` of fixed-distance jobs, metres either way.
  static constexpr double kMaxDistance = 1e6;
  /// `max_speed`, m/s.
  static constexpr double kMaxSpeed = 10.0;
  static constexpr double kMinTimeFactor = 0.1;
  static constexpr double kMaxTimeFactor = 1000.0;
  /// `wait` and `emergency_stop`, simulated seconds.
  static constexpr double kMaxWaitSeconds = 3600.0;
  /// Points and poses of the whole scenario (YAML aliases can repeat a list many times).
  static constexpr std::size_t kMaxPoints = 100000;

  static Scenario parseFile(const std::string & path);
  /// `file` only names the text in errors.
  static Scenario parseText(const std::string & text, const std::string & file);
};

}  // namespace velmoran_nav2_sim

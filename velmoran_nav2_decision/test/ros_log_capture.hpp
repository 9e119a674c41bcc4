#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "rcutils/logging.h"

namespace velmoran::test
{

struct RosLogLine
{
  int severity{RCUTILS_LOG_SEVERITY_UNSET};
  std::string logger;
  std::string message;
};

/// Takes over the rcutils output handler for its lifetime and keeps every line logged through ROS.
/// One instance at a time.
class RosLogCapture
{
public:
  RosLogCapture();
  ~RosLogCapture();
  RosLogCapture(const RosLogCapture &) = delete;
  RosLogCapture & operator=(const RosLogCapture &) = delete;

  std::vector<RosLogLine> lines() const;
  std::size_t count(const std::string & message) const;
  /// Waits until `message` has been logged at least `times` times.
  bool waitFor(
    const std::string & message, std::size_t times = 1,
    std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
  /// Waits until `condition` holds for the lines kept so far.
  bool waitUntil(
    const std::function<bool(const std::vector<RosLogLine> &)> & condition,
    std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
  /// Called, on the logging thread and outside the capture's lock, after each line is kept.
  void setHook(std::function<void(const RosLogLine &)> hook);

private:
  static void handle(
    const rcutils_log_location_t * location, int severity, const char * name,
    rcutils_time_point_value_t timestamp, const char * format, va_list * args);
  void keep(const RosLogLine & line);
  std::size_t countLocked(const std::string & message) const;

  rcutils_logging_output_handler_t previous_handler_;
  mutable std::mutex mutex_;
  mutable std::condition_variable cv_;
  std::vector<RosLogLine> lines_;
  std::function<void(const RosLogLine &)> hook_;
};

}  // namespace velmoran::test

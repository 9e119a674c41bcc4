// Records what is logged while it lives (rcutils output handler), for assertions on log lines.
#ifndef EMBEDDED_ROS_TEST_SUPPORT__LOG_CAPTURE_HPP_
#define EMBEDDED_ROS_TEST_SUPPORT__LOG_CAPTURE_HPP_

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include <rcutils/logging.h>

struct LogLine
{
  std::string logger;
  int severity;
  std::string message;
};

class LogCapture
{
public:
  LogCapture() : previous_(rcutils_logging_get_output_handler())
  {
    rcutils_logging_set_output_handler(&LogCapture::handle);
    std::lock_guard<std::mutex> lock(mutex());
    lines_store().clear();
  }

  ~LogCapture() { rcutils_logging_set_output_handler(previous_); }

  std::vector<LogLine> lines() const
  {
    std::lock_guard<std::mutex> lock(mutex());
    return lines_store();
  }

  std::vector<LogLine> lines_of(const std::string & logger) const
  {
    std::lock_guard<std::mutex> lock(mutex());
    std::vector<LogLine> result;
    for (const auto & line : lines_store()) {
      if (line.logger == logger) {
        result.push_back(line);
      }
    }
    return result;
  }

private:
  static void handle(
    const rcutils_log_location_t *, int severity, const char * name, rcutils_time_point_value_t,
    const char * format, va_list * args)
  {
    char buffer[1024];
    va_list copy;
    va_copy(copy, *args);
    std::vsnprintf(buffer, sizeof(buffer), format, copy);
    va_end(copy);
    std::lock_guard<std::mutex> lock(mutex());
    lines_store().push_back({name ? name : "", severity, buffer});
  }

  static std::mutex & mutex()
  {
    static std::mutex instance;
    return instance;
  }

  static std::vector<LogLine> & lines_store()
  {
    static std::vector<LogLine> instance;
    return instance;
  }

  rcutils_logging_output_handler_t previous_;
};

#endif  // EMBEDDED_ROS_TEST_SUPPORT__LOG_CAPTURE_HPP_

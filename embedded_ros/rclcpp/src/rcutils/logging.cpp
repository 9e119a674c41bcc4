#include "rcutils/logging.h"

#include <strings.h>

#include <cstdarg>
#include <map>
#include <mutex>
#include <string>

const char * const g_rcutils_log_severity_names[RCUTILS_LOG_SEVERITY_FATAL + 1] = {
  "UNSET", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "DEBUG",
  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "INFO",  nullptr,
  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "WARN",  nullptr, nullptr,
  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "ERROR", nullptr, nullptr, nullptr,
  nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "FATAL"};

namespace
{

/// Levels and output handler of the process. Logger levels are looked up on every log call,
/// so they live behind one mutex; output is serialised so lines never interleave.
struct LoggingState
{
  std::mutex levels_mutex;
  int default_level = RCUTILS_LOG_SEVERITY_INFO;
  std::map<std::string, int> logger_levels;

  std::mutex output_mutex;
  rcutils_logging_output_handler_t handler = rcutils_logging_console_output_handler;
};

LoggingState & state()
{
  static LoggingState logging_state;
  return logging_state;
}

}  // namespace

extern "C" {

rcutils_ret_t rcutils_logging_initialize(void) { return RCUTILS_RET_OK; }

rcutils_ret_t rcutils_logging_shutdown(void) { return RCUTILS_RET_OK; }

rcutils_logging_output_handler_t rcutils_logging_get_output_handler(void)
{
  std::lock_guard<std::mutex> lock(state().output_mutex);
  return state().handler;
}

void rcutils_logging_set_output_handler(rcutils_logging_output_handler_t function)
{
  std::lock_guard<std::mutex> lock(state().output_mutex);
  state().handler = function;
}

int rcutils_logging_get_default_logger_level(void)
{
  std::lock_guard<std::mutex> lock(state().levels_mutex);
  return state().default_level;
}

void rcutils_logging_set_default_logger_level(int level)
{
  std::lock_guard<std::mutex> lock(state().levels_mutex);
  state().default_level = level == RCUTILS_LOG_SEVERITY_UNSET ? RCUTILS_LOG_SEVERITY_INFO : level;
}

int rcutils_logging_get_logger_level(const char * name)
{
  if (name == nullptr) {
    return -1;
  }
  std::lock_guard<std::mutex> lock(state().levels_mutex);
  if (name[0] == '\0') {
    return state().default_level;
  }
  auto it = state().logger_levels.find(name);
  return it == state().logger_levels.end() ? RCUTILS_LOG_SEVERITY_UNSET : it->second;
}

rcutils_ret_t rcutils_logging_set_logger_level(const char * name, int level)
{
  if (name == nullptr) {
    return RCUTILS_RET_INVALID_ARGUMENT;
  }
  if (name[0] == '\0') {
    rcutils_logging_set_default_logger_level(level);
    return RCUTILS_RET_OK;
  }
  std::lock_guard<std::mutex> lock(state().levels_mutex);
  state().logger_levels[name] = level;
  return RCUTILS_RET_OK;
}

int rcutils_logging_get_logger_effective_level(const char * name)
{
  if (name == nullptr) {
    return -1;
  }
  std::lock_guard<std::mutex> lock(state().levels_mutex);
  std::string logger(name);
  // A logger without a level of its own inherits from its ancestors ("a.b" from "a").
  while (!logger.empty()) {
    auto it = state().logger_levels.find(logger);
    if (it != state().logger_levels.end() && it->second != RCUTILS_LOG_SEVERITY_UNSET) {
      return it->second;
    }
    auto dot = logger.rfind('.');
    logger = dot == std::string::npos ? std::string() : logger.substr(0, dot);
  }
  return state().default_level;
}

bool rcutils_logging_logger_is_enabled_for(const char * name, int severity)
{
  return severity >= rcutils_logging_get_logger_effective_level(name);
}

rcutils_ret_t rcutils_logging_severity_level_from_string(
  const char * severity_string, void * /*allocator*/, int * severity)
{
  if (severity_string == nullptr || severity == nullptr) {
    return RCUTILS_RET_INVALID_ARGUMENT;
  }
  for (int level = RCUTILS_LOG_SEVERITY_UNSET; level <= RCUTILS_LOG_SEVERITY_FATAL; level += 10) {
    if (strcasecmp(severity_string, g_rcutils_log_severity_names[level]) == 0) {
      *severity = level;
      return RCUTILS_RET_OK;
    }
  }
  return RCUTILS_RET_ERROR;
}

void rcutils_log(
  const rcutils_log_location_t * location, int severity, const char * name, const char * format,
  ...)
{
  if (!rcutils_logging_logger_is_enabled_for(name, severity)) {
    return;
  }
  rcutils_time_point_value_t now = 0;
  rcutils_system_time_now(&now);
  va_list args;
  va_start(args, format);
  {
    std::lock_guard<std::mutex> lock(state().output_mutex);
    if (state().handler != nullptr) {
      state().handler(location, severity, name ? name : "", now, format, &args);
    }
  }
  va_end(args);
}

}  // extern "C"

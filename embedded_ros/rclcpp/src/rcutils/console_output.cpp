// rcutils' default console output: "[{severity}] [{time}] [{name}]: {message}", or the
// format in RCUTILS_CONSOLE_OUTPUT_FORMAT; stderr, or stdout with RCUTILS_LOGGING_USE_STDOUT=1.

#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "rcutils/logging.h"

namespace
{

const char * const kDefaultFormat = "[{severity}] [{time}] [{name}]: {message}";

std::string env_or(const char * name, const char * fallback)
{
  const char * value = std::getenv(name);
  return (value != nullptr && value[0] != '\0') ? value : fallback;
}

std::string format_message(const char * format, va_list * args)
{
  va_list copy;
  va_copy(copy, *args);
  int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (size < 0) {
    return format;
  }
  std::vector<char> buffer(static_cast<size_t>(size) + 1);
  va_copy(copy, *args);
  std::vsnprintf(buffer.data(), buffer.size(), format, copy);
  va_end(copy);
  return std::string(buffer.data(), static_cast<size_t>(size));
}

std::string time_as_seconds(rcutils_time_point_value_t timestamp)
{
  char buffer[32];
  std::snprintf(
    buffer, sizeof(buffer), "%lld.%09lld", static_cast<long long>(timestamp / 1000000000LL),
    static_cast<long long>(timestamp % 1000000000LL));
  return buffer;
}

struct LogRecord
{
  const rcutils_log_location_t * location;
  int severity;
  const char * name;
  rcutils_time_point_value_t timestamp;
  const std::string & message;
};

std::string token_value(const std::string & token, const LogRecord & record)
{
  if (token == "severity") {
    return g_rcutils_log_severity_names[record.severity];
  }
  if (token == "name") {
    return record.name;
  }
  if (token == "message") {
    return record.message;
  }
  if (token == "time") {
    return time_as_seconds(record.timestamp);
  }
  if (token == "time_as_nanoseconds") {
    return std::to_string(record.timestamp);
  }
  if (token == "function_name") {
    return record.location ? record.location->function_name : "\"\"";
  }
  if (token == "file_name") {
    return record.location ? record.location->file_name : "\"\"";
  }
  if (token == "line_number") {
    return record.location ? std::to_string(record.location->line_number) : "0";
  }
  return "{" + token + "}";
}

std::string render(const std::string & format, const LogRecord & record)
{
  std::string line;
  size_t position = 0;
  while (position < format.size()) {
    size_t open = format.find('{', position);
    size_t close = open == std::string::npos ? open : format.find('}', open);
    if (close == std::string::npos) {
      line += format.substr(position);
      break;
    }
    line += format.substr(position, open - position);
    line += token_value(format.substr(open + 1, close - open - 1), record);
    position = close + 1;
  }
  return line;
}

const char * colour_of(int severity)
{
  switch (severity) {
    case RCUTILS_LOG_SEVERITY_DEBUG:
      return "\033[32m";
    case RCUTILS_LOG_SEVERITY_WARN:
      return "\033[33m";
    case RCUTILS_LOG_SEVERITY_ERROR:
    case RCUTILS_LOG_SEVERITY_FATAL:
      return "\033[31m";
    default:
      return "";
  }
}

bool use_colour(FILE * stream)
{
  std::string setting = env_or("RCUTILS_COLORIZED_OUTPUT", "");
  if (setting == "0") {
    return false;
  }
  return setting == "1" || isatty(fileno(stream)) != 0;
}

}  // namespace

extern "C" void rcutils_logging_console_output_handler(
  const rcutils_log_location_t * location, int severity, const char * name,
  rcutils_time_point_value_t timestamp, const char * format, va_list * args)
{
  if (
    severity < RCUTILS_LOG_SEVERITY_DEBUG || severity > RCUTILS_LOG_SEVERITY_FATAL ||
    severity % 10 != 0) {
    std::fprintf(stderr, "unknown severity level: %d\n", severity);
    return;
  }
  const std::string message = format_message(format, args);
  const LogRecord record{location, severity, name, timestamp, message};
  const std::string line = render(env_or("RCUTILS_CONSOLE_OUTPUT_FORMAT", kDefaultFormat), record);
  FILE * stream = env_or("RCUTILS_LOGGING_USE_STDOUT", "0") == "1" ? stdout : stderr;
  if (use_colour(stream) && colour_of(severity)[0] != '\0') {
    std::fprintf(stream, "%s%s\033[0m\n", colour_of(severity), line.c_str());
  } else {
    std::fprintf(stream, "%s\n", line.c_str());
  }
  std::fflush(stream);
}

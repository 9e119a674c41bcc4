#ifndef RCUTILS__LOGGING_H_
#define RCUTILS__LOGGING_H_

// The logging core of rcutils: severities, per-logger levels and a replaceable output handler.

#include <stdarg.h>
#include <stdbool.h>
#include <stddef.h>

#include "rcutils/time.h"
#include "rcutils/types/rcutils_ret.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct rcutils_log_location_s
{
  const char * function_name;
  const char * file_name;
  size_t line_number;
} rcutils_log_location_t;

enum RCUTILS_LOG_SEVERITY {
  RCUTILS_LOG_SEVERITY_UNSET = 0,
  RCUTILS_LOG_SEVERITY_DEBUG = 10,
  RCUTILS_LOG_SEVERITY_INFO = 20,
  RCUTILS_LOG_SEVERITY_WARN = 30,
  RCUTILS_LOG_SEVERITY_ERROR = 40,
  RCUTILS_LOG_SEVERITY_FATAL = 50,
};

extern const char * const g_rcutils_log_severity_names[RCUTILS_LOG_SEVERITY_FATAL + 1];

typedef void (*rcutils_logging_output_handler_t)(
  const rcutils_log_location_t *, int, const char *, rcutils_time_point_value_t, const char *,
  va_list *);

rcutils_ret_t rcutils_logging_initialize(void);
rcutils_ret_t rcutils_logging_shutdown(void);

rcutils_logging_output_handler_t rcutils_logging_get_output_handler(void);
void rcutils_logging_set_output_handler(rcutils_logging_output_handler_t function);

/// The default handler: formats by RCUTILS_CONSOLE_OUTPUT_FORMAT and writes to stderr
/// (stdout when RCUTILS_LOGGING_USE_STDOUT=1).
void rcutils_logging_console_output_handler(
  const rcutils_log_location_t * location, int severity, const char * name,
  rcutils_time_point_value_t timestamp, const char * format, va_list * args);

int rcutils_logging_get_default_logger_level(void);
void rcutils_logging_set_default_logger_level(int level);
int rcutils_logging_get_logger_level(const char * name);
rcutils_ret_t rcutils_logging_set_logger_level(const char * name, int level);
int rcutils_logging_get_logger_effective_level(const char * name);
bool rcutils_logging_logger_is_enabled_for(const char * name, int severity);

rcutils_ret_t rcutils_logging_severity_level_from_string(
  const char * severity_string, void * allocator, int * severity);

void rcutils_log(
  const rcutils_log_location_t * location, int severity, const char * name, const char * format,
  ...) __attribute__((format(printf, 4, 5)));

#ifdef __cplusplus
}
#endif

#endif  // RCUTILS__LOGGING_H_

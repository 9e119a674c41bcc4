#ifndef RCLCPP__LOGGING_HPP_
#define RCLCPP__LOGGING_HPP_

#include <atomic>
#include <climits>
#include <sstream>
#include <type_traits>

#include "rclcpp/detail/log_throttle.hpp"
#include "rclcpp/logger.hpp"
#include "rcutils/logging.h"

// Logging statements in the form of ROS 2: RCLCPP_<LEVEL>[_STREAM][_ONCE|_THROTTLE|_SKIPFIRST|
// _EXPRESSION](logger, ...). The message is printf-style (or a stream expression for _STREAM).

#define RCLCPP_LOGGING_CHECK_LOGGER(logger)                                 \
  static_assert(                                                            \
    ::std::is_same<                                                         \
      typename std::remove_cv_t<std::remove_reference_t<decltype(logger)>>, \
      ::rclcpp::Logger>::value,                                             \
    "First argument to logging macros must be an rclcpp::Logger")

#define RCLCPP_LOG_EMIT(severity, logger, ...)                                                   \
  do {                                                                                           \
    const ::rclcpp::Logger rclcpp_log_logger_ = (logger);                                        \
    const char * rclcpp_log_name_ = rclcpp_log_logger_.get_name();                               \
    if (                                                                                         \
      rclcpp_log_name_ != nullptr &&                                                             \
      rcutils_logging_logger_is_enabled_for(rclcpp_log_name_, severity)) {                       \
      static const rcutils_log_location_t rclcpp_log_location_ = {__func__, __FILE__, __LINE__}; \
      rcutils_log(&rclcpp_log_location_, severity, rclcpp_log_name_, __VA_ARGS__);               \
    }                                                                                            \
  } while (0)

#define RCLCPP_LOG_STREAM_EMIT(severity, logger, stream_arg)                  \
  do {                                                                        \
    std::stringstream rclcpp_stream_ss_;                                      \
    rclcpp_stream_ss_ << stream_arg;                                          \
    RCLCPP_LOG_EMIT(severity, logger, "%s", rclcpp_stream_ss_.str().c_str()); \
  } while (0)

#define RCLCPP_LOG_(severity, logger, ...)          \
  do {                                              \
    RCLCPP_LOGGING_CHECK_LOGGER(logger);            \
    RCLCPP_LOG_EMIT(severity, logger, __VA_ARGS__); \
  } while (0)

#define RCLCPP_LOG_ONCE_(severity, logger, ...)          \
  do {                                                   \
    RCLCPP_LOGGING_CHECK_LOGGER(logger);                 \
    static std::atomic<bool> rclcpp_logged_once_{false}; \
    if (!rclcpp_logged_once_.exchange(true)) {           \
      RCLCPP_LOG_EMIT(severity, logger, __VA_ARGS__);    \
    }                                                    \
  } while (0)

#define RCLCPP_LOG_SKIPFIRST_(severity, logger, ...)       \
  do {                                                     \
    RCLCPP_LOGGING_CHECK_LOGGER(logger);                   \
    static std::atomic<bool> rclcpp_first_skipped_{false}; \
    if (rclcpp_first_skipped_.exchange(true)) {            \
      RCLCPP_LOG_EMIT(severity, logger, __VA_ARGS__);      \
    }                                                      \
  } while (0)

#define RCLCPP_LOG_EXPRESSION_(severity, logger, expression, ...) \
  do {                                                            \
    RCLCPP_LOGGING_CHECK_LOGGER(logger);                          \
    if (expression) {                                             \
      RCLCPP_LOG_EMIT(severity, logger, __VA_ARGS__);             \
    }                                                             \
  } while (0)

#define RCLCPP_LOG_THROTTLE_(severity, logger, clock, duration, ...)                     \
  do {                                                                                   \
    RCLCPP_LOGGING_CHECK_LOGGER(logger);                                                 \
    static std::atomic<int64_t> rclcpp_throttle_last_{INT64_MIN};                        \
    if (::rclcpp::detail::log_throttle_allows(clock, duration, rclcpp_throttle_last_)) { \
      RCLCPP_LOG_EMIT(severity, logger, __VA_ARGS__);                                    \
    }                                                                                    \
  } while (0)

#define RCLCPP_LOG_STREAM_(severity, logger, stream_arg)  \
  do {                                                    \
    RCLCPP_LOGGING_CHECK_LOGGER(logger);                  \
    RCLCPP_LOG_STREAM_EMIT(severity, logger, stream_arg); \
  } while (0)

#define RCLCPP_LOG_STREAM_ONCE_(severity, logger, stream_arg) \
  do {                                                        \
    RCLCPP_LOGGING_CHECK_LOGGER(logger);                      \
    static std::atomic<bool> rclcpp_logged_once_{false};      \
    if (!rclcpp_logged_once_.exchange(true)) {                \
      RCLCPP_LOG_STREAM_EMIT(severity, logger, stream_arg);   \
    }                                                         \
  } while (0)

#define RCLCPP_LOG_STREAM_THROTTLE_(severity, logger, clock, duration, stream_arg)       \
  do {                                                                                   \
    RCLCPP_LOGGING_CHECK_LOGGER(logger);                                                 \
    static std::atomic<int64_t> rclcpp_throttle_last_{INT64_MIN};                        \
    if (::rclcpp::detail::log_throttle_allows(clock, duration, rclcpp_throttle_last_)) { \
      RCLCPP_LOG_STREAM_EMIT(severity, logger, stream_arg);                              \
    }                                                                                    \
  } while (0)

#define RCLCPP_DEBUG(logger, ...) RCLCPP_LOG_(RCUTILS_LOG_SEVERITY_DEBUG, logger, __VA_ARGS__)
#define RCLCPP_INFO(logger, ...) RCLCPP_LOG_(RCUTILS_LOG_SEVERITY_INFO, logger, __VA_ARGS__)
#define RCLCPP_WARN(logger, ...) RCLCPP_LOG_(RCUTILS_LOG_SEVERITY_WARN, logger, __VA_ARGS__)
#define RCLCPP_ERROR(logger, ...) RCLCPP_LOG_(RCUTILS_LOG_SEVERITY_ERROR, logger, __VA_ARGS__)
#define RCLCPP_FATAL(logger, ...) RCLCPP_LOG_(RCUTILS_LOG_SEVERITY_FATAL, logger, __VA_ARGS__)

#define RCLCPP_DEBUG_ONCE(logger, ...) \
  RCLCPP_LOG_ONCE_(RCUTILS_LOG_SEVERITY_DEBUG, logger, __VA_ARGS__)
#define RCLCPP_INFO_ONCE(logger, ...) \
  RCLCPP_LOG_ONCE_(RCUTILS_LOG_SEVERITY_INFO, logger, __VA_ARGS__)
#define RCLCPP_WARN_ONCE(logger, ...) \
  RCLCPP_LOG_ONCE_(RCUTILS_LOG_SEVERITY_WARN, logger, __VA_ARGS__)
#define RCLCPP_ERROR_ONCE(logger, ...) \
  RCLCPP_LOG_ONCE_(RCUTILS_LOG_SEVERITY_ERROR, logger, __VA_ARGS__)
#define RCLCPP_FATAL_ONCE(logger, ...) \
  RCLCPP_LOG_ONCE_(RCUTILS_LOG_SEVERITY_FATAL, logger, __VA_ARGS__)

#define RCLCPP_DEBUG_SKIPFIRST(logger, ...) \
  RCLCPP_LOG_SKIPFIRST_(RCUTILS_LOG_SEVERITY_DEBUG, logger, __VA_ARGS__)
#define RCLCPP_INFO_SKIPFIRST(logger, ...) \
  RCLCPP_LOG_SKIPFIRST_(RCUTILS_LOG_SEVERITY_INFO, logger, __VA_ARGS__)
#define RCLCPP_WARN_SKIPFIRST(logger, ...) \
  RCLCPP_LOG_SKIPFIRST_(RCUTILS_LOG_SEVERITY_WARN, logger, __VA_ARGS__)
#define RCLCPP_ERROR_SKIPFIRST(logger, ...) \
  RCLCPP_LOG_SKIPFIRST_(RCUTILS_LOG_SEVERITY_ERROR, logger, __VA_ARGS__)
#define RCLCPP_FATAL_SKIPFIRST(logger, ...) \
  RCLCPP_LOG_SKIPFIRST_(RCUTILS_LOG_SEVERITY_FATAL, logger, __VA_ARGS__)

#define RCLCPP_DEBUG_EXPRESSION(logger, expression, ...) \
  RCLCPP_LOG_EXPRESSION_(RCUTILS_LOG_SEVERITY_DEBUG, logger, expression, __VA_ARGS__)
#define RCLCPP_INFO_EXPRESSION(logger, expression, ...) \
  RCLCPP_LOG_EXPRESSION_(RCUTILS_LOG_SEVERITY_INFO, logger, expression, __VA_ARGS__)
#define RCLCPP_WARN_EXPRESSION(logger, expression, ...) \
  RCLCPP_LOG_EXPRESSION_(RCUTILS_LOG_SEVERITY_WARN, logger, expression, __VA_ARGS__)
#define RCLCPP_ERROR_EXPRESSION(logger, expression, ...) \
  RCLCPP_LOG_EXPRESSION_(RCUTILS_LOG_SEVERITY_ERROR, logger, expression, __VA_ARGS__)
#define RCLCPP_FATAL_EXPRESSION(logger, expression, ...) \
  RCLCPP_LOG_EXPRESSION_(RCUTILS_LOG_SEVERITY_FATAL, logger, expression, __VA_ARGS__)

#define RCLCPP_DEBUG_THROTTLE(logger, clock, duration, ...) \
  RCLCPP_LOG_THROTTLE_(RCUTILS_LOG_SEVERITY_DEBUG, logger, clock, duration, __VA_ARGS__)
#define RCLCPP_INFO_THROTTLE(logger, clock, duration, ...) \
  RCLCPP_LOG_THROTTLE_(RCUTILS_LOG_SEVERITY_INFO, logger, clock, duration, __VA_ARGS__)
#define RCLCPP_WARN_THROTTLE(logger, clock, duration, ...) \
  RCLCPP_LOG_THROTTLE_(RCUTILS_LOG_SEVERITY_WARN, logger, clock, duration, __VA_ARGS__)
#define RCLCPP_ERROR_THROTTLE(logger, clock, duration, ...) \
  RCLCPP_LOG_THROTTLE_(RCUTILS_LOG_SEVERITY_ERROR, logger, clock, duration, __VA_ARGS__)
#define RCLCPP_FATAL_THROTTLE(logger, clock, duration, ...) \
  RCLCPP_LOG_THROTTLE_(RCUTILS_LOG_SEVERITY_FATAL, logger, clock, duration, __VA_ARGS__)

#define RCLCPP_DEBUG_STREAM(logger, stream_arg) \
  RCLCPP_LOG_STREAM_(RCUTILS_LOG_SEVERITY_DEBUG, logger, stream_arg)
#define RCLCPP_INFO_STREAM(logger, stream_arg) \
  RCLCPP_LOG_STREAM_(RCUTILS_LOG_SEVERITY_INFO, logger, stream_arg)
#define RCLCPP_WARN_STREAM(logger, stream_arg) \
  RCLCPP_LOG_STREAM_(RCUTILS_LOG_SEVERITY_WARN, logger, stream_arg)
#define RCLCPP_ERROR_STREAM(logger, stream_arg) \
  RCLCPP_LOG_STREAM_(RCUTILS_LOG_SEVERITY_ERROR, logger, stream_arg)
#define RCLCPP_FATAL_STREAM(logger, stream_arg) \
  RCLCPP_LOG_STREAM_(RCUTILS_LOG_SEVERITY_FATAL, logger, stream_arg)

#define RCLCPP_DEBUG_STREAM_ONCE(logger, stream_arg) \
  RCLCPP_LOG_STREAM_ONCE_(RCUTILS_LOG_SEVERITY_DEBUG, logger, stream_arg)
#define RCLCPP_INFO_STREAM_ONCE(logger, stream_arg) \
  RCLCPP_LOG_STREAM_ONCE_(RCUTILS_LOG_SEVERITY_INFO, logger, stream_arg)
#define RCLCPP_WARN_STREAM_ONCE(logger, stream_arg) \
  RCLCPP_LOG_STREAM_ONCE_(RCUTILS_LOG_SEVERITY_WARN, logger, stream_arg)
#define RCLCPP_ERROR_STREAM_ONCE(logger, stream_arg) \
  RCLCPP_LOG_STREAM_ONCE_(RCUTILS_LOG_SEVERITY_ERROR, logger, stream_arg)
#define RCLCPP_FATAL_STREAM_ONCE(logger, stream_arg) \
  RCLCPP_LOG_STREAM_ONCE_(RCUTILS_LOG_SEVERITY_FATAL, logger, stream_arg)

#define RCLCPP_DEBUG_STREAM_THROTTLE(logger, clock, duration, stream_arg) \
  RCLCPP_LOG_STREAM_THROTTLE_(RCUTILS_LOG_SEVERITY_DEBUG, logger, clock, duration, stream_arg)
#define RCLCPP_INFO_STREAM_THROTTLE(logger, clock, duration, stream_arg) \
  RCLCPP_LOG_STREAM_THROTTLE_(RCUTILS_LOG_SEVERITY_INFO, logger, clock, duration, stream_arg)
#define RCLCPP_WARN_STREAM_THROTTLE(logger, clock, duration, stream_arg) \
  RCLCPP_LOG_STREAM_THROTTLE_(RCUTILS_LOG_SEVERITY_WARN, logger, clock, duration, stream_arg)
#define RCLCPP_ERROR_STREAM_THROTTLE(logger, clock, duration, stream_arg) \
  RCLCPP_LOG_STREAM_THROTTLE_(RCUTILS_LOG_SEVERITY_ERROR, logger, clock, duration, stream_arg)
#define RCLCPP_FATAL_STREAM_THROTTLE(logger, clock, duration, stream_arg) \
  RCLCPP_LOG_STREAM_THROTTLE_(RCUTILS_LOG_SEVERITY_FATAL, logger, clock, duration, stream_arg)

#endif  // RCLCPP__LOGGING_HPP_

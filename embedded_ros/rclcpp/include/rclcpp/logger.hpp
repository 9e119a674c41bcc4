#ifndef RCLCPP__LOGGER_HPP_
#define RCLCPP__LOGGER_HPP_

#include <memory>
#include <string>

#include "rcutils/logging.h"

namespace rclcpp
{

class Logger;

/// The logger with this name; loggers are cheap handles onto the process-wide logging system.
Logger get_logger(const std::string & name);

/// A named logger. A child's name is "<parent>.<suffix>"; a logger without its own level uses
/// the level of its nearest named ancestor, else the default level.
class Logger
{
public:
  enum class Level {
    Unset = RCUTILS_LOG_SEVERITY_UNSET,
    Debug = RCUTILS_LOG_SEVERITY_DEBUG,
    Info = RCUTILS_LOG_SEVERITY_INFO,
    Warn = RCUTILS_LOG_SEVERITY_WARN,
    Error = RCUTILS_LOG_SEVERITY_ERROR,
    Fatal = RCUTILS_LOG_SEVERITY_FATAL,
  };

  Logger(const Logger &) = default;
  Logger & operator=(const Logger &) = default;

  /// The name, or nullptr for a dummy logger that logs nothing.
  const char * get_name() const;
  Logger get_child(const std::string & suffix);
  void set_level(Level level);

private:
  friend Logger rclcpp::get_logger(const std::string & name);

  Logger() = default;
  explicit Logger(const std::string & name) : name_(new std::string(name)) {}

  std::shared_ptr<const std::string> name_;
};

}  // namespace rclcpp

#endif  // RCLCPP__LOGGER_HPP_

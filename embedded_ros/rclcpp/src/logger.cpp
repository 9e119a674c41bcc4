#include "rclcpp/logger.hpp"

#include <stdexcept>
#include <string>

#include "rclcpp/exceptions.hpp"

namespace rclcpp
{

Logger get_logger(const std::string & name) { return Logger(name); }

const char * Logger::get_name() const { return name_ ? name_->c_str() : nullptr; }

Logger Logger::get_child(const std::string & suffix)
{
  if (!name_) {
    return Logger();
  }
  return Logger(*name_ + "." + suffix);
}

void Logger::set_level(Level level)
{
  if (!name_) {
    return;
  }
  if (rcutils_logging_set_logger_level(name_->c_str(), static_cast<int>(level)) != RCUTILS_RET_OK) {
    throw std::runtime_error("failed to set the level of logger '" + *name_ + "'");
  }
}

}  // namespace rclcpp

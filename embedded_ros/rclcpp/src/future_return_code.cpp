#include "rclcpp/future_return_code.hpp"

#include <string>

namespace rclcpp
{

std::ostream & operator<<(std::ostream & os, const FutureReturnCode & future_return_code)
{
  return os << to_string(future_return_code);
}

std::string to_string(const FutureReturnCode & future_return_code)
{
  switch (future_return_code) {
    case FutureReturnCode::SUCCESS:
      return "SUCCESS (0)";
    case FutureReturnCode::INTERRUPTED:
      return "INTERRUPTED (1)";
    case FutureReturnCode::TIMEOUT:
      return "TIMEOUT (2)";
  }
  return "Unknown enum value (" + std::to_string(static_cast<int>(future_return_code)) + ")";
}

}  // namespace rclcpp

#include "rclcpp_action/types.hpp"

#include <sstream>

namespace rclcpp_action
{
std::string to_string(const GoalUUID & goal_id)
{
  // Bytes in hex without padding, as ROS 2 prints goal IDs.
  std::stringstream stream;
  stream << std::hex;
  for (uint8_t value : goal_id) {
    stream << static_cast<int>(value);
  }
  return stream.str();
}

}  // namespace rclcpp_action

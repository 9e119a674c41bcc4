// Identifiers and status types shared by action servers and clients.
#ifndef RCLCPP_ACTION__TYPES_HPP_
#define RCLCPP_ACTION__TYPES_HPP_

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include <action_msgs/msg/goal_info.hpp>
#include <action_msgs/msg/goal_status.hpp>
#include <unique_identifier_msgs/msg/uuid.hpp>

namespace rclcpp_action
{
using GoalUUID = std::array<uint8_t, 16>;
using GoalStatus = action_msgs::msg::GoalStatus;
using GoalInfo = action_msgs::msg::GoalInfo;

/// The UUID bytes in lower-case hex, each without a leading zero.
std::string to_string(const GoalUUID & goal_id);

}  // namespace rclcpp_action

namespace std
{
template <>
struct less<rclcpp_action::GoalUUID>
{
  bool operator()(const rclcpp_action::GoalUUID & lhs, const rclcpp_action::GoalUUID & rhs) const
  {
    return lhs < rhs;
  }
};

template <>
struct hash<rclcpp_action::GoalUUID>
{
  size_t operator()(const rclcpp_action::GoalUUID & uuid) const noexcept
  {
    // FNV-1a over the bytes: UUIDs are random, any mixing suffices.
    size_t result = 14695981039346656037ULL;
    for (uint8_t byte : uuid) {
      result = (result ^ byte) * 1099511628211ULL;
    }
    return result;
  }
};
}  // namespace std

#endif  // RCLCPP_ACTION__TYPES_HPP_

// A state of the managed-node state machine: its id and label.
#ifndef RCLCPP_LIFECYCLE__STATE_HPP_
#define RCLCPP_LIFECYCLE__STATE_HPP_

#include <cstdint>
#include <string>

namespace rclcpp_lifecycle
{
class State
{
public:
  /// The "unknown" state.
  State();
  /// Throws std::runtime_error for an empty label.
  State(uint8_t id, const std::string & label);
  virtual ~State() = default;

  State(const State &) = default;
  State & operator=(const State &) = default;

  /// One of lifecycle_msgs::msg::State::PRIMARY_STATE_* or TRANSITION_STATE_*.
  uint8_t id() const;
  std::string label() const;

private:
  uint8_t id_;
  std::string label_;
};

}  // namespace rclcpp_lifecycle

#endif  // RCLCPP_LIFECYCLE__STATE_HPP_

// A transition of the managed-node state machine: its id, label and end states.
#ifndef RCLCPP_LIFECYCLE__TRANSITION_HPP_
#define RCLCPP_LIFECYCLE__TRANSITION_HPP_

#include <cstdint>
#include <string>

#include "rclcpp_lifecycle/state.hpp"

namespace rclcpp_lifecycle
{
class Transition
{
public:
  Transition() = delete;
  /// Throws std::runtime_error for an empty label.
  explicit Transition(uint8_t id, const std::string & label = "");
  Transition(uint8_t id, const std::string & label, State start, State goal);
  virtual ~Transition() = default;

  Transition(const Transition &) = default;
  Transition & operator=(const Transition &) = default;

  /// One of lifecycle_msgs::msg::Transition::TRANSITION_*.
  uint8_t id() const;
  std::string label() const;
  State start_state() const;
  State goal_state() const;

private:
  uint8_t id_;
  std::string label_;
  State start_;
  State goal_;
};

}  // namespace rclcpp_lifecycle

#endif  // RCLCPP_LIFECYCLE__TRANSITION_HPP_

#include "rclcpp_lifecycle/state.hpp"

#include <stdexcept>

#include <lifecycle_msgs/msg/state.hpp>

namespace rclcpp_lifecycle
{
State::State() : id_(lifecycle_msgs::msg::State::PRIMARY_STATE_UNKNOWN), label_("unknown") {}

State::State(uint8_t id, const std::string & label) : id_(id), label_(label)
{
  if (label_.empty()) {
    throw std::runtime_error("Lifecycle State cannot have an empty label.");
  }
}

uint8_t State::id() const { return id_; }

std::string State::label() const { return label_; }

}  // namespace rclcpp_lifecycle

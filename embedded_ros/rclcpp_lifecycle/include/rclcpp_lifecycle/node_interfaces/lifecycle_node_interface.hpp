// The transition callbacks of a managed node.
#ifndef RCLCPP_LIFECYCLE__NODE_INTERFACES__LIFECYCLE_NODE_INTERFACE_HPP_
#define RCLCPP_LIFECYCLE__NODE_INTERFACES__LIFECYCLE_NODE_INTERFACE_HPP_

#include <cstdint>

#include <lifecycle_msgs/msg/transition.hpp>

#include "rclcpp_lifecycle/state.hpp"

namespace rclcpp_lifecycle
{
namespace node_interfaces
{
/// Each callback gets the state the node was in before the transition started. SUCCESS
/// completes the transition, FAILURE returns to the previous primary state, ERROR (or an
/// exception) leads to error processing (on_error).
class LifecycleNodeInterface
{
protected:
  LifecycleNodeInterface() = default;

public:
  enum class CallbackReturn : uint8_t {
    SUCCESS = lifecycle_msgs::msg::Transition::TRANSITION_CALLBACK_SUCCESS,
    FAILURE = lifecycle_msgs::msg::Transition::TRANSITION_CALLBACK_FAILURE,
    ERROR = lifecycle_msgs::msg::Transition::TRANSITION_CALLBACK_ERROR
  };

  virtual CallbackReturn on_configure(const State & previous_state);
  virtual CallbackReturn on_cleanup(const State & previous_state);
  virtual CallbackReturn on_shutdown(const State & previous_state);
  virtual CallbackReturn on_activate(const State & previous_state);
  virtual CallbackReturn on_deactivate(const State & previous_state);
  /// Default: FAILURE, so that an error finalizes the node.
  virtual CallbackReturn on_error(const State & previous_state);

  virtual ~LifecycleNodeInterface() = default;
};

}  // namespace node_interfaces
}  // namespace rclcpp_lifecycle

#endif  // RCLCPP_LIFECYCLE__NODE_INTERFACES__LIFECYCLE_NODE_INTERFACE_HPP_

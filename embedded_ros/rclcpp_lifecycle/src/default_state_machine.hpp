// The states and transitions of a managed node, as the ROS 2 design defines them.
#ifndef RCLCPP_LIFECYCLE__SRC__DEFAULT_STATE_MACHINE_HPP_
#define RCLCPP_LIFECYCLE__SRC__DEFAULT_STATE_MACHINE_HPP_

#include <cstdint>
#include <string>
#include <vector>

#include "rclcpp_lifecycle/state.hpp"
#include "rclcpp_lifecycle/transition.hpp"

namespace rclcpp_lifecycle
{
namespace detail
{
extern const char kTransitionSuccessLabel[];
extern const char kTransitionFailureLabel[];
extern const char kTransitionErrorLabel[];
extern const char kShutdownLabel[];

struct TransitionEdge
{
  uint8_t id;
  const char * label;
  uint8_t start;
  uint8_t goal;
};

/// Immutable tables; states live as long as the program, so references to them stay valid.
class DefaultStateMachine
{
public:
  static const DefaultStateMachine & instance();

  const std::vector<State> & states() const { return states_; }
  const std::vector<TransitionEdge> & edges() const { return edges_; }

  const State & state(uint8_t id) const;
  /// Null when `start` has no transition with that id (label).
  const TransitionEdge * find(uint8_t start, uint8_t transition_id) const;
  const TransitionEdge * find(uint8_t start, const std::string & label) const;
  Transition to_transition(const TransitionEdge & edge) const;

private:
  DefaultStateMachine();

  std::vector<State> states_;
  std::vector<TransitionEdge> edges_;
};

}  // namespace detail
}  // namespace rclcpp_lifecycle

#endif  // RCLCPP_LIFECYCLE__SRC__DEFAULT_STATE_MACHINE_HPP_

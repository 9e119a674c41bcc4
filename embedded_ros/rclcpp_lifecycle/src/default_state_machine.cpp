#include "default_state_machine.hpp"

#include <stdexcept>

#include <lifecycle_msgs/msg/state.hpp>
#include <lifecycle_msgs/msg/transition.hpp>

namespace rclcpp_lifecycle
{
namespace detail
{
const char kTransitionSuccessLabel[] = "transition_success";
const char kTransitionFailureLabel[] = "transition_failure";
const char kTransitionErrorLabel[] = "transition_error";
const char kShutdownLabel[] = "shutdown";

namespace
{
using S = lifecycle_msgs::msg::State;
using T = lifecycle_msgs::msg::Transition;
}  // namespace

DefaultStateMachine::DefaultStateMachine()
: states_{
    State(S::PRIMARY_STATE_UNKNOWN, "unknown"),
    State(S::PRIMARY_STATE_UNCONFIGURED, "unconfigured"),
    State(S::PRIMARY_STATE_INACTIVE, "inactive"),
    State(S::PRIMARY_STATE_ACTIVE, "active"),
    State(S::PRIMARY_STATE_FINALIZED, "finalized"),
    State(S::TRANSITION_STATE_CONFIGURING, "configuring"),
    State(S::TRANSITION_STATE_CLEANINGUP, "cleaningup"),
    State(S::TRANSITION_STATE_SHUTTINGDOWN, "shuttingdown"),
    State(S::TRANSITION_STATE_ACTIVATING, "activating"),
    State(S::TRANSITION_STATE_DEACTIVATING, "deactivating"),
    State(S::TRANSITION_STATE_ERRORPROCESSING, "errorprocessing")},
  edges_{
    {T::TRANSITION_CONFIGURE, "configure", S::PRIMARY_STATE_UNCONFIGURED,
      S::TRANSITION_STATE_CONFIGURING},
    {T::TRANSITION_ON_CONFIGURE_SUCCESS, kTransitionSuccessLabel, S::TRANSITION_STATE_CONFIGURING,
      S::PRIMARY_STATE_INACTIVE},
    {T::TRANSITION_ON_CONFIGURE_FAILURE, kTransitionFailureLabel, S::TRANSITION_STATE_CONFIGURING,
      S::PRIMARY_STATE_UNCONFIGURED},
    {T::TRANSITION_ON_CONFIGURE_ERROR, kTransitionErrorLabel, S::TRANSITION_STATE_CONFIGURING,
      S::TRANSITION_STATE_ERRORPROCESSING},
    {T::TRANSITION_CLEANUP, "cleanup", S::PRIMARY_STATE_INACTIVE, S::TRANSITION_STATE_CLEANINGUP},
    {T::TRANSITION_ON_CLEANUP_SUCCESS, kTransitionSuccessLabel, S::TRANSITION_STATE_CLEANINGUP,
      S::PRIMARY_STATE_UNCONFIGURED},
    {T::TRANSITION_ON_CLEANUP_FAILURE, kTransitionFailureLabel, S::TRANSITION_STATE_CLEANINGUP,
      S::PRIMARY_STATE_INACTIVE},
    {T::TRANSITION_ON_CLEANUP_ERROR, kTransitionErrorLabel, S::TRANSITION_STATE_CLEANINGUP,
      S::TRANSITION_STATE_ERRORPROCESSING},
    {T::TRANSITION_ACTIVATE, "activate", S::PRIMARY_STATE_INACTIVE,
      S::TRANSITION_STATE_ACTIVATING},
    {T::TRANSITION_ON_ACTIVATE_SUCCESS, kTransitionSuccessLabel, S::TRANSITION_STATE_ACTIVATING,
      S::PRIMARY_STATE_ACTIVE},
    {T::TRANSITION_ON_ACTIVATE_FAILURE, kTransitionFailureLabel, S::TRANSITION_STATE_ACTIVATING,
      S::PRIMARY_STATE_INACTIVE},
    {T::TRANSITION_ON_ACTIVATE_ERROR, kTransitionErrorLabel, S::TRANSITION_STATE_ACTIVATING,
      S::TRANSITION_STATE_ERRORPROCESSING},
    {T::TRANSITION_DEACTIVATE, "deactivate", S::PRIMARY_STATE_ACTIVE,
      S::TRANSITION_STATE_DEACTIVATING},
    {T::TRANSITION_ON_DEACTIVATE_SUCCESS, kTransitionSuccessLabel,
      S::TRANSITION_STATE_DEACTIVATING, S::PRIMARY_STATE_INACTIVE},
    {T::TRANSITION_ON_DEACTIVATE_FAILURE, kTransitionFailureLabel,
      S::TRANSITION_STATE_DEACTIVATING, S::PRIMARY_STATE_ACTIVE},
    {T::TRANSITION_ON_DEACTIVATE_ERROR, kTransitionErrorLabel, S::TRANSITION_STATE_DEACTIVATING,
      S::TRANSITION_STATE_ERRORPROCESSING},
    {T::TRANSITION_UNCONFIGURED_SHUTDOWN, kShutdownLabel, S::PRIMARY_STATE_UNCONFIGURED,
      S::TRANSITION_STATE_SHUTTINGDOWN},
    {T::TRANSITION_INACTIVE_SHUTDOWN, kShutdownLabel, S::PRIMARY_STATE_INACTIVE,
      S::TRANSITION_STATE_SHUTTINGDOWN},
    {T::TRANSITION_ACTIVE_SHUTDOWN, kShutdownLabel, S::PRIMARY_STATE_ACTIVE,
      S::TRANSITION_STATE_SHUTTINGDOWN},
    {T::TRANSITION_ON_SHUTDOWN_SUCCESS, kTransitionSuccessLabel, S::TRANSITION_STATE_SHUTTINGDOWN,
      S::PRIMARY_STATE_FINALIZED},
    {T::TRANSITION_ON_SHUTDOWN_FAILURE, kTransitionFailureLabel, S::TRANSITION_STATE_SHUTTINGDOWN,
      S::PRIMARY_STATE_FINALIZED},
    {T::TRANSITION_ON_SHUTDOWN_ERROR, kTransitionErrorLabel, S::TRANSITION_STATE_SHUTTINGDOWN,
      S::TRANSITION_STATE_ERRORPROCESSING},
    {T::TRANSITION_ON_ERROR_SUCCESS, kTransitionSuccessLabel,
      S::TRANSITION_STATE_ERRORPROCESSING, S::PRIMARY_STATE_UNCONFIGURED},
    {T::TRANSITION_ON_ERROR_FAILURE, kTransitionFailureLabel,
      S::TRANSITION_STATE_ERRORPROCESSING, S::PRIMARY_STATE_FINALIZED},
    {T::TRANSITION_ON_ERROR_ERROR, kTransitionErrorLabel, S::TRANSITION_STATE_ERRORPROCESSING,
      S::PRIMARY_STATE_FINALIZED}}
{
}

const DefaultStateMachine & DefaultStateMachine::instance()
{
  static const DefaultStateMachine machine;
  return machine;
}

const State & DefaultStateMachine::state(uint8_t id) const
{
  for (const State & candidate : states_) {
    if (candidate.id() == id) {
      return candidate;
    }
  }
  throw std::out_of_range("lifecycle state " + std::to_string(id) + " does not exist");
}

const TransitionEdge * DefaultStateMachine::find(uint8_t start, uint8_t transition_id) const
{
  for (const TransitionEdge & edge : edges_) {
    if (edge.start == start && edge.id == transition_id) {
      return &edge;
    }
  }
  return nullptr;
}

const TransitionEdge * DefaultStateMachine::find(uint8_t start, const std::string & label) const
{
  for (const TransitionEdge & edge : edges_) {
    if (edge.start == start && label == edge.label) {
      return &edge;
    }
  }
  return nullptr;
}

Transition DefaultStateMachine::to_transition(const TransitionEdge & edge) const
{
  return Transition(edge.id, edge.label, state(edge.start), state(edge.goal));
}

}  // namespace detail
}  // namespace rclcpp_lifecycle

#include "rclcpp_action/detail/goal_handle_state.hpp"

#include <string>

#include <rclcpp/exceptions.hpp>

namespace rclcpp_action
{
namespace detail
{
namespace
{
// The return code rcl_action reports for a forbidden goal event.
constexpr int kGoalEventInvalid = 2301;

const char * state_label(int8_t status)
{
  switch (status) {
    case GoalStatus::STATUS_ACCEPTED:
      return "ACCEPTED";
    case GoalStatus::STATUS_EXECUTING:
      return "EXECUTING";
    case GoalStatus::STATUS_CANCELING:
      return "CANCELING";
    case GoalStatus::STATUS_SUCCEEDED:
      return "SUCCEEDED";
    case GoalStatus::STATUS_CANCELED:
      return "CANCELED";
    case GoalStatus::STATUS_ABORTED:
      return "ABORTED";
    default:
      return "UNKNOWN";
  }
}

const char * event_label(GoalEvent event)
{
  switch (event) {
    case GoalEvent::EXECUTE:
      return "EXECUTE";
    case GoalEvent::CANCEL_GOAL:
      return "CANCEL_GOAL";
    case GoalEvent::SUCCEED:
      return "SUCCEED";
    case GoalEvent::ABORT:
      return "ABORT";
    case GoalEvent::CANCELED:
      return "CANCELED";
  }
  return "NUM_EVENTS";
}

/// The state after `event`, or STATUS_UNKNOWN when the transition does not exist.
int8_t transition(int8_t status, GoalEvent event)
{
  const bool running =
    status == GoalStatus::STATUS_EXECUTING || status == GoalStatus::STATUS_CANCELING;
  switch (event) {
    case GoalEvent::EXECUTE:
      return status == GoalStatus::STATUS_ACCEPTED ? GoalStatus::STATUS_EXECUTING
                                                   : GoalStatus::STATUS_UNKNOWN;
    case GoalEvent::CANCEL_GOAL:
      return status == GoalStatus::STATUS_ACCEPTED || status == GoalStatus::STATUS_EXECUTING
               ? GoalStatus::STATUS_CANCELING
               : GoalStatus::STATUS_UNKNOWN;
    case GoalEvent::SUCCEED:
      return running ? GoalStatus::STATUS_SUCCEEDED : GoalStatus::STATUS_UNKNOWN;
    case GoalEvent::ABORT:
      return running ? GoalStatus::STATUS_ABORTED : GoalStatus::STATUS_UNKNOWN;
    case GoalEvent::CANCELED:
      return status == GoalStatus::STATUS_CANCELING ? GoalStatus::STATUS_CANCELED
                                                    : GoalStatus::STATUS_UNKNOWN;
  }
  return GoalStatus::STATUS_UNKNOWN;
}

}  // namespace

GoalHandleState::GoalHandleState(const GoalInfo & info)
: info_(info), status_(GoalStatus::STATUS_ACCEPTED)
{
}

int8_t GoalHandleState::status() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return status_;
}

bool GoalHandleState::is_active() const
{
  const int8_t current = status();
  return current == GoalStatus::STATUS_ACCEPTED || current == GoalStatus::STATUS_EXECUTING ||
         current == GoalStatus::STATUS_CANCELING;
}

bool GoalHandleState::is_cancelable() const
{
  return transition(status(), GoalEvent::CANCEL_GOAL) == GoalStatus::STATUS_CANCELING;
}

void GoalHandleState::update(GoalEvent event)
{
  std::lock_guard<std::mutex> lock(mutex_);
  const int8_t next = transition(status_, event);
  if (next == GoalStatus::STATUS_UNKNOWN) {
    const std::string message =
      std::string("goal_handle attempted invalid transition from state ") + state_label(status_) +
      " with event " + event_label(event);
    throw rclcpp::exceptions::RCLError(
      rclcpp::exceptions::RCLErrorBase(kGoalEventInvalid, message), "");
  }
  status_ = next;
}

bool GoalHandleState::try_update(GoalEvent event)
{
  std::lock_guard<std::mutex> lock(mutex_);
  const int8_t next = transition(status_, event);
  if (next == GoalStatus::STATUS_UNKNOWN) {
    return false;
  }
  status_ = next;
  return true;
}

}  // namespace detail
}  // namespace rclcpp_action

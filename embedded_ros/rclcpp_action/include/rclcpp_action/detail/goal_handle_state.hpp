// The state of one goal on its server: the goal state machine of the ROS 2 action design.
#ifndef RCLCPP_ACTION__DETAIL__GOAL_HANDLE_STATE_HPP_
#define RCLCPP_ACTION__DETAIL__GOAL_HANDLE_STATE_HPP_

#include <cstdint>
#include <mutex>

#include "rclcpp_action/types.hpp"

namespace rclcpp_action
{
namespace detail
{
enum class GoalEvent : uint8_t { EXECUTE, CANCEL_GOAL, SUCCEED, ABORT, CANCELED };

/// ACCEPTED -> EXECUTING -> (CANCELING ->) SUCCEEDED | ABORTED | CANCELED. Thread-safe.
class GoalHandleState
{
public:
  explicit GoalHandleState(const GoalInfo & info);

  const GoalInfo & info() const { return info_; }

  /// One of GoalStatus::STATUS_*.
  int8_t status() const;
  bool is_active() const;
  bool is_cancelable() const;

  /// Applies `event`. Throws rclcpp::exceptions::RCLError naming the state and the event when
  /// the state machine has no such transition; the state is then unchanged.
  void update(GoalEvent event);

  /// Applies `event` if the state machine allows it; false otherwise.
  bool try_update(GoalEvent event);

private:
  const GoalInfo info_;
  mutable std::mutex mutex_;
  int8_t status_;
};

}  // namespace detail
}  // namespace rclcpp_action

#endif  // RCLCPP_ACTION__DETAIL__GOAL_HANDLE_STATE_HPP_

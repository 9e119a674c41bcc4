#ifndef RCLCPP__GUARD_CONDITION_HPP_
#define RCLCPP__GUARD_CONDITION_HPP_

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>

#include "rcl/guard_condition.h"
#include "rcl/wait.h"
#include "rclcpp/context.hpp"
#include "rclcpp/contexts/default_context.hpp"
#include "rclcpp/macros.hpp"

namespace rclcpp
{

/// A condition that is triggered to wake whoever waits on it. Nodes and executors hold guard
/// conditions, so they share its rule: it can only be created on a valid context. Before
/// rclcpp::init it throws RCLInvalidArgument ("failed to create guard condition: context argument
/// is null"), after shutdown RCLError ("failed to create guard condition: the given context is not
/// valid, ...").
class GuardCondition
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS_NOT_COPYABLE(GuardCondition)

  /// Throws std::invalid_argument for a null context.
  explicit GuardCondition(
    rclcpp::Context::SharedPtr context = rclcpp::contexts::get_global_default_context());
  virtual ~GuardCondition();

  rclcpp::Context::SharedPtr get_context() const;

  rcl_guard_condition_t & get_rcl_guard_condition();
  const rcl_guard_condition_t & get_rcl_guard_condition() const;

  /// Wakes the wait sets the guard condition is in, then calls the on-trigger callback with 1,
  /// or counts the trigger until a callback is set.
  void trigger();

  bool exchange_in_use_by_wait_set_state(bool in_use_state);

  /// Adds the guard condition to `wait_set`. Once added, it belongs to that wait set: adding it
  /// to another throws std::runtime_error("guard condition has already been added to a wait
  /// set."). A full wait set throws rclcpp::exceptions::RCLError.
  void add_to_wait_set(rcl_wait_set_t * wait_set);

  /// Sets the callback (called with the triggers counted so far first) or, when empty, clears it.
  void set_on_trigger_callback(std::function<void(size_t)> callback);

private:
  RCLCPP_DISABLE_COPY(GuardCondition)

  rclcpp::Context::SharedPtr context_;
  rcl_guard_condition_t rcl_guard_condition_;
  std::recursive_mutex reentrant_mutex_;
  std::atomic<bool> in_use_by_wait_set_{false};
  rcl_wait_set_t * wait_set_ = nullptr;
  std::function<void(size_t)> on_trigger_callback_;
  size_t unread_count_ = 0;
};

namespace detail
{

/// Adds the guard condition to the wait set without tying it to that wait set, for waitables
/// that several executors may wait on in turn; a failure throws as GuardCondition::add_to_wait_set.
void add_guard_condition_to_rcl_wait_set(
  rcl_wait_set_t * wait_set, const rclcpp::GuardCondition & guard_condition);

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__GUARD_CONDITION_HPP_

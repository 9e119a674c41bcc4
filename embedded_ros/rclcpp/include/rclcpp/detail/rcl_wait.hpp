#ifndef RCLCPP__DETAIL__RCL_WAIT_HPP_
#define RCLCPP__DETAIL__RCL_WAIT_HPP_

#include <cstddef>
#include <memory>

#include "rcl/guard_condition.h"
#include "rcl/wait.h"
#include "rclcpp/detail/wake_signal.hpp"

namespace rclcpp
{
namespace detail
{

/// Creation, trigger and destruction of the rcl guard condition inside rclcpp::GuardCondition.
rcl_guard_condition_t init_rcl_guard_condition();
void trigger_rcl_guard_condition(const rcl_guard_condition_t & guard_condition);
void fini_rcl_guard_condition(rcl_guard_condition_t & guard_condition) noexcept;

/// The rcl wait set of one executor. A guard condition added to it wakes the executor's wake
/// signal when triggered, until the set is cleared; a trigger counts once, for the first wait
/// set that takes it.
class ExecutorWaitSet
{
public:
  explicit ExecutorWaitSet(std::shared_ptr<WakeSignal> wake_signal);
  ~ExecutorWaitSet();
  ExecutorWaitSet(const ExecutorWaitSet &) = delete;
  ExecutorWaitSet & operator=(const ExecutorWaitSet &) = delete;

  rcl_wait_set_t * get() { return &wait_set_; }

  /// Empties the set and gives it room for `guard_conditions`.
  void reset(size_t guard_conditions);
  /// Takes the triggers of the guard conditions in the set and leaves NULL in the slots of those
  /// that were not triggered. True when at least one was.
  bool take_triggered();
  /// Empties the set; its guard conditions no longer wake the executor.
  void clear() noexcept;

private:
  rcl_wait_set_t wait_set_;
};

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__RCL_WAIT_HPP_

#ifndef RCLCPP__TIMER_HPP_
#define RCLCPP__TIMER_HPP_

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>

#include "rclcpp/clock.hpp"
#include "rclcpp/context.hpp"
#include "rclcpp/detail/ready_notifier.hpp"
#include "rclcpp/macros.hpp"

namespace rclcpp
{

class CallbackGroup;

/// A periodic trigger on a clock. The executor serving its callback group runs the callback
/// when a period has passed; missed periods are skipped, keeping the phase.
class TimerBase
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS_NOT_COPYABLE(TimerBase)

  TimerBase(
    Clock::SharedPtr clock, std::chrono::nanoseconds period, rclcpp::Context::SharedPtr context);
  virtual ~TimerBase();

  void cancel();
  bool is_canceled();
  /// Restarts the period from now and un-cancels the timer.
  void reset();

  /// Claims the current expiry for execution; false when the timer is not (any more) due.
  bool call();
  virtual void execute_callback() = 0;

  Clock::SharedPtr get_clock() const { return clock_; }
  /// Time until the next expiry (negative when overdue; max when canceled).
  std::chrono::nanoseconds time_until_trigger();
  virtual bool is_steady() = 0;
  bool is_ready();
  bool exchange_in_use_by_wait_set_state(bool in_use_state);

  void attach_to_callback_group(std::weak_ptr<rclcpp::CallbackGroup> group);

private:
  RCLCPP_DISABLE_COPY(TimerBase)

  Clock::SharedPtr clock_;
  const int64_t period_ns_;
  std::mutex mutex_;
  int64_t next_call_ns_;
  bool canceled_ = false;
  detail::ReadyNotifier notifier_;
  std::atomic<bool> in_use_by_wait_set_{false};
};

using VoidCallbackType = std::function<void()>;
using TimerCallbackType = std::function<void(TimerBase &)>;

/// A timer whose callback takes no argument or the timer itself.
template <
  typename FunctorT,
  typename std::enable_if_t<
    std::is_invocable_v<FunctorT &> || std::is_invocable_v<FunctorT &, TimerBase &>, int> = 0>
class GenericTimer : public TimerBase
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS(GenericTimer)

  GenericTimer(
    Clock::SharedPtr clock, std::chrono::nanoseconds period, FunctorT && callback,
    rclcpp::Context::SharedPtr context)
  : TimerBase(clock, period, context), callback_(std::forward<FunctorT>(callback))
  {
  }

  void execute_callback() override
  {
    if constexpr (std::is_invocable_v<FunctorT &>) {
      callback_();
    } else {
      callback_(*this);
    }
  }

  bool is_steady() override { return get_clock()->get_clock_type() == RCL_STEADY_TIME; }

private:
  FunctorT callback_;
};

template <
  typename FunctorT,
  typename std::enable_if_t<
    std::is_invocable_v<FunctorT &> || std::is_invocable_v<FunctorT &, TimerBase &>, int> = 0>
class WallTimer : public GenericTimer<FunctorT>
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS(WallTimer)

  WallTimer(
    std::chrono::nanoseconds period, FunctorT && callback, rclcpp::Context::SharedPtr context)
  : GenericTimer<FunctorT>(
      std::make_shared<Clock>(RCL_STEADY_TIME), period, std::forward<FunctorT>(callback), context)
  {
  }
};

}  // namespace rclcpp

#endif  // RCLCPP__TIMER_HPP_

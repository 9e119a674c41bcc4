#include "rclcpp/timer.hpp"

#include <limits>
#include <stdexcept>

#include "rclcpp/contexts/default_context.hpp"
#include "rclcpp/detail/context_check.hpp"

namespace rclcpp
{

TimerBase::TimerBase(
  Clock::SharedPtr clock, std::chrono::nanoseconds period, rclcpp::Context::SharedPtr context)
: clock_(std::move(clock)), period_ns_(period.count())
{
  if (!clock_) {
    throw std::invalid_argument("clock cannot be null");
  }
  if (period_ns_ < 0) {
    throw std::invalid_argument("timer period cannot be negative");
  }
  detail::check_context_usable(
    context ? *context : *contexts::get_global_default_context(),
    "Couldn't initialize rcl timer handle");
  next_call_ns_ = clock_->now().nanoseconds() + period_ns_;
}

TimerBase::~TimerBase() = default;

void TimerBase::cancel()
{
  std::lock_guard<std::mutex> lock(mutex_);
  canceled_ = true;
}

bool TimerBase::is_canceled()
{
  std::lock_guard<std::mutex> lock(mutex_);
  return canceled_;
}

void TimerBase::reset()
{
  {
    std::lock_guard<std::mutex> lock(mutex_);
    canceled_ = false;
    next_call_ns_ = clock_->now().nanoseconds() + period_ns_;
  }
  notifier_.notify();
}

bool TimerBase::call()
{
  std::lock_guard<std::mutex> lock(mutex_);
  const int64_t now = clock_->now().nanoseconds();
  if (canceled_ || now < next_call_ns_) {
    return false;
  }
  next_call_ns_ += period_ns_;
  if (next_call_ns_ <= now && period_ns_ > 0) {
    // Skip the missed periods but keep the phase.
    next_call_ns_ += ((now - next_call_ns_) / period_ns_ + 1) * period_ns_;
  } else if (period_ns_ == 0) {
    next_call_ns_ = now;
  }
  return true;
}

std::chrono::nanoseconds TimerBase::time_until_trigger()
{
  std::lock_guard<std::mutex> lock(mutex_);
  if (canceled_) {
    return std::chrono::nanoseconds::max();
  }
  return std::chrono::nanoseconds(next_call_ns_ - clock_->now().nanoseconds());
}

bool TimerBase::is_ready() { return time_until_trigger() <= std::chrono::nanoseconds::zero(); }

bool TimerBase::exchange_in_use_by_wait_set_state(bool in_use_state)
{
  return in_use_by_wait_set_.exchange(in_use_state);
}

void TimerBase::attach_to_callback_group(std::weak_ptr<rclcpp::CallbackGroup> group)
{
  notifier_.attach(std::move(group));
  notifier_.notify();
}

}  // namespace rclcpp

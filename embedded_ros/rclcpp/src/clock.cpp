#include "rclcpp/clock.hpp"

#include <chrono>
#include <stdexcept>
#include <thread>

#include "rcutils/time.h"

namespace rclcpp
{

Clock::Clock(rcl_clock_type_t clock_type) : clock_type_(clock_type)
{
  if (clock_type == RCL_CLOCK_UNINITIALIZED) {
    throw std::invalid_argument("clock type must not be RCL_CLOCK_UNINITIALIZED");
  }
}

Time Clock::now() const
{
  rcutils_time_point_value_t now = 0;
  if (clock_type_ == RCL_STEADY_TIME) {
    rcutils_steady_time_now(&now);
  } else {
    rcutils_system_time_now(&now);
  }
  return Time(now, clock_type_);
}

bool Clock::sleep_until(Time until, Context::SharedPtr context)
{
  if (!context || !context->is_valid()) {
    throw std::runtime_error("context cannot be slept with because it's invalid");
  }
  if (until.get_clock_type() != clock_type_) {
    throw std::runtime_error("until's clock type does not match this clock's type");
  }
  while (context->is_valid()) {
    const Time now_time = now();
    if (now_time >= until) {
      return true;
    }
    // System and ROS time may jump; wake at least once a second to re-check.
    auto remaining = std::chrono::nanoseconds((until - now_time).nanoseconds());
    context->sleep_for(std::min<std::chrono::nanoseconds>(remaining, std::chrono::seconds(1)));
  }
  return false;
}

bool Clock::sleep_for(Duration rel_time, Context::SharedPtr context)
{
  return sleep_until(now() + rel_time, context);
}

bool Clock::ros_time_is_active() { return false; }

rcl_clock_type_t Clock::get_clock_type() const noexcept { return clock_type_; }

std::mutex & Clock::get_clock_mutex() noexcept { return clock_mutex_; }

}  // namespace rclcpp

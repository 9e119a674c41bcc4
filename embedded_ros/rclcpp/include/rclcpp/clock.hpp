#ifndef RCLCPP__CLOCK_HPP_
#define RCLCPP__CLOCK_HPP_

#include <memory>
#include <mutex>

#include "rcl/time.h"
#include "rclcpp/context.hpp"
#include "rclcpp/contexts/default_context.hpp"
#include "rclcpp/duration.hpp"
#include "rclcpp/macros.hpp"
#include "rclcpp/time.hpp"

namespace rclcpp
{

/// Reads system, steady or ROS time. Without a simulated time source ROS time follows the
/// system clock.
class Clock
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS(Clock)

  explicit Clock(rcl_clock_type_t clock_type = RCL_SYSTEM_TIME);

  Time now() const;

  /// Sleeps until the clock reaches `until`; false when the context shut down first.
  /// Throws std::runtime_error when `until` has another clock type.
  bool sleep_until(Time until, Context::SharedPtr context = contexts::get_global_default_context());
  bool sleep_for(
    Duration rel_time, Context::SharedPtr context = contexts::get_global_default_context());

  bool ros_time_is_active();
  rcl_clock_type_t get_clock_type() const noexcept;
  std::mutex & get_clock_mutex() noexcept;

private:
  rcl_clock_type_t clock_type_;
  std::mutex clock_mutex_;
};

}  // namespace rclcpp

#endif  // RCLCPP__CLOCK_HPP_

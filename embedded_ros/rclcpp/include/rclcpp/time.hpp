#ifndef RCLCPP__TIME_HPP_
#define RCLCPP__TIME_HPP_

#include <cstdint>

#include "builtin_interfaces/msg/time.hpp"
#include "rcl/time.h"
#include "rclcpp/duration.hpp"

namespace rclcpp
{

/// A point in time of one clock type. Times of different clock types do not mix: comparing or
/// subtracting them throws std::runtime_error.
class Time
{
public:
  Time(int32_t seconds, uint32_t nanoseconds, rcl_clock_type_t clock_type = RCL_SYSTEM_TIME);
  explicit Time(int64_t nanoseconds = 0, rcl_clock_type_t clock_type = RCL_SYSTEM_TIME);
  Time(const Time & rhs);
  Time(
    const builtin_interfaces::msg::Time & time_msg,  // NOLINT(runtime/explicit)
    rcl_clock_type_t clock_type = RCL_ROS_TIME);
  explicit Time(const rcl_time_point_t & time_point);
  virtual ~Time() = default;

  operator builtin_interfaces::msg::Time() const;

  Time & operator=(const Time & rhs);
  Time & operator=(const builtin_interfaces::msg::Time & time_msg);

  bool operator==(const rclcpp::Time & rhs) const;
  bool operator!=(const rclcpp::Time & rhs) const;
  bool operator<(const rclcpp::Time & rhs) const;
  bool operator<=(const rclcpp::Time & rhs) const;
  bool operator>=(const rclcpp::Time & rhs) const;
  bool operator>(const rclcpp::Time & rhs) const;

  Time operator+(const rclcpp::Duration & rhs) const;
  Duration operator-(const rclcpp::Time & rhs) const;
  Time operator-(const rclcpp::Duration & rhs) const;
  Time & operator+=(const rclcpp::Duration & rhs);
  Time & operator-=(const rclcpp::Duration & rhs);

  rcl_time_point_value_t nanoseconds() const;
  static Time max(rcl_clock_type_t clock_type = RCL_SYSTEM_TIME);
  double seconds() const;
  rcl_clock_type_t get_clock_type() const;

private:
  rcl_time_point_t rcl_time_;
};

Time operator+(const rclcpp::Duration & lhs, const rclcpp::Time & rhs);

}  // namespace rclcpp

#endif  // RCLCPP__TIME_HPP_

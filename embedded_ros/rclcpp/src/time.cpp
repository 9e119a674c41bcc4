#include "rclcpp/time.hpp"

#include <limits>
#include <stdexcept>
#include <string>

#include "rclcpp/utilities.hpp"

namespace rclcpp
{

namespace
{

constexpr int64_t kNanosPerSecond = 1000000000LL;

void require_same_clock(const Time & lhs, const Time & rhs, const char * what)
{
  if (lhs.get_clock_type() != rhs.get_clock_type()) {
    throw std::runtime_error(what);
  }
}

/// Subtraction names both clock types, as rclcpp does.
void require_same_clock_to_subtract(const Time & lhs, const Time & rhs)
{
  if (lhs.get_clock_type() != rhs.get_clock_type()) {
    throw std::runtime_error(
      "can't subtract times with different time sources [" + std::to_string(lhs.get_clock_type()) +
      " != " + std::to_string(rhs.get_clock_type()) + "]");
  }
}

}  // namespace

Time::Time(int32_t seconds, uint32_t nanoseconds, rcl_clock_type_t clock_type)
{
  if (seconds < 0) {
    throw std::runtime_error("cannot store a negative time point in rclcpp::Time");
  }
  rcl_time_.clock_type = clock_type;
  rcl_time_.nanoseconds = static_cast<int64_t>(seconds) * kNanosPerSecond + nanoseconds;
}

Time::Time(int64_t nanoseconds, rcl_clock_type_t clock_type)
{
  rcl_time_.clock_type = clock_type;
  rcl_time_.nanoseconds = nanoseconds;
}

Time::Time(const Time & rhs) = default;

Time::Time(const builtin_interfaces::msg::Time & time_msg, rcl_clock_type_t clock_type)
{
  if (time_msg.sec < 0) {
    throw std::runtime_error("cannot store a negative time point in rclcpp::Time");
  }
  rcl_time_.clock_type = clock_type;
  rcl_time_.nanoseconds = static_cast<int64_t>(time_msg.sec) * kNanosPerSecond + time_msg.nanosec;
}

Time::Time(const rcl_time_point_t & time_point) : rcl_time_(time_point) {}

Time::operator builtin_interfaces::msg::Time() const
{
  builtin_interfaces::msg::Time msg;
  int64_t seconds = rcl_time_.nanoseconds / kNanosPerSecond;
  int64_t remainder = rcl_time_.nanoseconds % kNanosPerSecond;
  if (remainder < 0) {
    seconds -= 1;
    remainder += kNanosPerSecond;
  }
  msg.sec = static_cast<int32_t>(seconds);
  msg.nanosec = static_cast<uint32_t>(remainder);
  return msg;
}

Time & Time::operator=(const Time & rhs) = default;

Time & Time::operator=(const builtin_interfaces::msg::Time & time_msg)
{
  *this = Time(time_msg);
  return *this;
}

bool Time::operator==(const rclcpp::Time & rhs) const
{
  require_same_clock(*this, rhs, "can't compare times with different time sources");
  return rcl_time_.nanoseconds == rhs.rcl_time_.nanoseconds;
}

bool Time::operator!=(const rclcpp::Time & rhs) const { return !(*this == rhs); }

bool Time::operator<(const rclcpp::Time & rhs) const
{
  require_same_clock(*this, rhs, "can't compare times with different time sources");
  return rcl_time_.nanoseconds < rhs.rcl_time_.nanoseconds;
}

bool Time::operator<=(const rclcpp::Time & rhs) const
{
  require_same_clock(*this, rhs, "can't compare times with different time sources");
  return rcl_time_.nanoseconds <= rhs.rcl_time_.nanoseconds;
}

bool Time::operator>=(const rclcpp::Time & rhs) const
{
  require_same_clock(*this, rhs, "can't compare times with different time sources");
  return rcl_time_.nanoseconds >= rhs.rcl_time_.nanoseconds;
}

bool Time::operator>(const rclcpp::Time & rhs) const
{
  require_same_clock(*this, rhs, "can't compare times with different time sources");
  return rcl_time_.nanoseconds > rhs.rcl_time_.nanoseconds;
}

Time Time::operator+(const rclcpp::Duration & rhs) const
{
  if (rclcpp::add_will_overflow(rhs.nanoseconds(), rcl_time_.nanoseconds)) {
    throw std::overflow_error("addition leads to int64_t overflow");
  }
  if (rclcpp::add_will_underflow(rhs.nanoseconds(), rcl_time_.nanoseconds)) {
    throw std::underflow_error("addition leads to int64_t underflow");
  }
  return Time(rcl_time_.nanoseconds + rhs.nanoseconds(), get_clock_type());
}

Duration Time::operator-(const rclcpp::Time & rhs) const
{
  require_same_clock_to_subtract(*this, rhs);
  if (rclcpp::sub_will_overflow(rcl_time_.nanoseconds, rhs.rcl_time_.nanoseconds)) {
    throw std::overflow_error("time subtraction leads to int64_t overflow");
  }
  if (rclcpp::sub_will_underflow(rcl_time_.nanoseconds, rhs.rcl_time_.nanoseconds)) {
    throw std::underflow_error("time subtraction leads to int64_t underflow");
  }
  return Duration::from_nanoseconds(rcl_time_.nanoseconds - rhs.rcl_time_.nanoseconds);
}

Time Time::operator-(const rclcpp::Duration & rhs) const
{
  if (rclcpp::sub_will_overflow(rcl_time_.nanoseconds, rhs.nanoseconds())) {
    throw std::overflow_error("time subtraction leads to int64_t overflow");
  }
  if (rclcpp::sub_will_underflow(rcl_time_.nanoseconds, rhs.nanoseconds())) {
    throw std::underflow_error("time subtraction leads to int64_t underflow");
  }
  return Time(rcl_time_.nanoseconds - rhs.nanoseconds(), get_clock_type());
}

Time & Time::operator+=(const rclcpp::Duration & rhs)
{
  *this = *this + rhs;
  return *this;
}

Time & Time::operator-=(const rclcpp::Duration & rhs)
{
  *this = *this - rhs;
  return *this;
}

rcl_time_point_value_t Time::nanoseconds() const { return rcl_time_.nanoseconds; }

Time Time::max(rcl_clock_type_t clock_type)
{
  return Time(std::numeric_limits<int32_t>::max(), 999999999, clock_type);
}

double Time::seconds() const { return static_cast<double>(rcl_time_.nanoseconds) / 1e9; }

rcl_clock_type_t Time::get_clock_type() const { return rcl_time_.clock_type; }

Time operator+(const rclcpp::Duration & lhs, const rclcpp::Time & rhs) { return rhs + lhs; }

}  // namespace rclcpp

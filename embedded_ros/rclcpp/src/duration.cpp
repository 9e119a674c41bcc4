#include "rclcpp/duration.hpp"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace rclcpp
{

namespace
{

constexpr int64_t kNanosPerSecond = 1000000000LL;

void check_addition(int64_t lhs, int64_t rhs)
{
  if (rhs > 0 && lhs > std::numeric_limits<int64_t>::max() - rhs) {
    throw std::overflow_error("addition leads to int64_t overflow");
  }
  if (rhs < 0 && lhs < std::numeric_limits<int64_t>::min() - rhs) {
    throw std::underflow_error("addition leads to int64_t underflow");
  }
}

void check_subtraction(int64_t lhs, int64_t rhs)
{
  if (rhs < 0 && lhs > std::numeric_limits<int64_t>::max() + rhs) {
    throw std::overflow_error("duration subtraction leads to int64_t overflow");
  }
  if (rhs > 0 && lhs < std::numeric_limits<int64_t>::min() + rhs) {
    throw std::underflow_error("duration subtraction leads to int64_t underflow");
  }
}

int64_t scaled(int64_t nanoseconds, double scale)
{
  if (!std::isfinite(scale)) {
    throw std::runtime_error("abnormal scale in rclcpp::Duration");
  }
  long double result = static_cast<long double>(nanoseconds) * scale;
  if (result > static_cast<long double>(std::numeric_limits<int64_t>::max())) {
    throw std::overflow_error("duration scaling leads to int64_t overflow");
  }
  if (result < static_cast<long double>(std::numeric_limits<int64_t>::min())) {
    throw std::underflow_error("duration scaling leads to int64_t underflow");
  }
  return static_cast<int64_t>(result);
}

}  // namespace

Duration::Duration() : nanoseconds_(0) {}

Duration::Duration(int32_t seconds, uint32_t nanoseconds)
: nanoseconds_(static_cast<int64_t>(seconds) * kNanosPerSecond + nanoseconds)
{
}

Duration::Duration(std::chrono::nanoseconds nanoseconds) : nanoseconds_(nanoseconds.count()) {}

Duration::Duration(const builtin_interfaces::msg::Duration & duration_msg)
: nanoseconds_(static_cast<int64_t>(duration_msg.sec) * kNanosPerSecond + duration_msg.nanosec)
{
}

Duration::Duration(const rcl_duration_t & duration) : nanoseconds_(duration.nanoseconds) {}

Duration & Duration::operator=(const builtin_interfaces::msg::Duration & duration_msg)
{
  *this = Duration(duration_msg);
  return *this;
}

Duration::operator builtin_interfaces::msg::Duration() const
{
  builtin_interfaces::msg::Duration msg;
  // Seconds round towards negative infinity so that nanosec stays in [0, 1e9).
  int64_t seconds = nanoseconds_ / kNanosPerSecond;
  int64_t remainder = nanoseconds_ % kNanosPerSecond;
  if (remainder < 0) {
    seconds -= 1;
    remainder += kNanosPerSecond;
  }
  if (seconds > std::numeric_limits<int32_t>::max()) {
    msg.sec = std::numeric_limits<int32_t>::max();
    msg.nanosec = std::numeric_limits<uint32_t>::max();
  } else if (seconds < std::numeric_limits<int32_t>::min()) {
    msg.sec = std::numeric_limits<int32_t>::min();
    msg.nanosec = 0;
  } else {
    msg.sec = static_cast<int32_t>(seconds);
    msg.nanosec = static_cast<uint32_t>(remainder);
  }
  return msg;
}

bool Duration::operator==(const Duration & rhs) const { return nanoseconds_ == rhs.nanoseconds_; }
bool Duration::operator!=(const Duration & rhs) const { return nanoseconds_ != rhs.nanoseconds_; }
bool Duration::operator<(const Duration & rhs) const { return nanoseconds_ < rhs.nanoseconds_; }
bool Duration::operator<=(const Duration & rhs) const { return nanoseconds_ <= rhs.nanoseconds_; }
bool Duration::operator>=(const Duration & rhs) const { return nanoseconds_ >= rhs.nanoseconds_; }
bool Duration::operator>(const Duration & rhs) const { return nanoseconds_ > rhs.nanoseconds_; }

Duration Duration::operator+(const Duration & rhs) const
{
  check_addition(nanoseconds_, rhs.nanoseconds_);
  return Duration::from_nanoseconds(nanoseconds_ + rhs.nanoseconds_);
}

Duration & Duration::operator+=(const Duration & rhs)
{
  *this = *this + rhs;
  return *this;
}

Duration Duration::operator-(const Duration & rhs) const
{
  check_subtraction(nanoseconds_, rhs.nanoseconds_);
  return Duration::from_nanoseconds(nanoseconds_ - rhs.nanoseconds_);
}

Duration & Duration::operator-=(const Duration & rhs)
{
  *this = *this - rhs;
  return *this;
}

Duration Duration::operator*(double scale) const
{
  return Duration::from_nanoseconds(scaled(nanoseconds_, scale));
}

Duration & Duration::operator*=(double scale)
{
  *this = *this * scale;
  return *this;
}

Duration Duration::max() { return Duration(std::numeric_limits<int32_t>::max(), 999999999); }

Duration Duration::from_seconds(double seconds)
{
  // Truncates towards zero like rclcpp.
  return Duration::from_nanoseconds(static_cast<int64_t>(seconds * 1e9));
}

Duration Duration::from_nanoseconds(rcl_duration_value_t nanoseconds)
{
  Duration duration;
  duration.nanoseconds_ = nanoseconds;
  return duration;
}

Duration Duration::from_rmw_time(rmw_time_t duration)
{
  return Duration::from_nanoseconds(
    static_cast<int64_t>(duration.sec) * kNanosPerSecond + static_cast<int64_t>(duration.nsec));
}

rcl_duration_value_t Duration::nanoseconds() const { return nanoseconds_; }

double Duration::seconds() const { return static_cast<double>(nanoseconds_) / 1e9; }

rmw_time_t Duration::to_rmw_time() const
{
  if (nanoseconds_ < 0) {
    throw std::runtime_error("rmw_time_t cannot be negative");
  }
  // Saturates like the message conversion.
  const builtin_interfaces::msg::Duration msg = *this;
  rmw_time_t result;
  result.sec = static_cast<uint64_t>(msg.sec);
  result.nsec = static_cast<uint64_t>(msg.nanosec);
  return result;
}

}  // namespace rclcpp

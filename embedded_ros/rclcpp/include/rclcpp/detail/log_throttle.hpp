#ifndef RCLCPP__DETAIL__LOG_THROTTLE_HPP_
#define RCLCPP__DETAIL__LOG_THROTTLE_HPP_

#include <atomic>
#include <cstdint>

namespace rclcpp
{
namespace detail
{

/// True when at least `duration_ms` passed on `clock` since the last time this returned true
/// for the same `last_ns` slot (one slot per log statement).
template <typename ClockT>
bool log_throttle_allows(ClockT & clock, int64_t duration_ms, std::atomic<int64_t> & last_ns)
{
  const int64_t now = clock.now().nanoseconds();
  int64_t last = last_ns.load();
  if (last != INT64_MIN && now - last < duration_ms * 1000000) {
    return false;
  }
  return last_ns.compare_exchange_strong(last, now);
}

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__LOG_THROTTLE_HPP_

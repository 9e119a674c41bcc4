#ifndef RCLCPP__DETAIL__WAKE_SIGNAL_HPP_
#define RCLCPP__DETAIL__WAKE_SIGNAL_HPP_

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace rclcpp
{
namespace detail
{

/// What an executor blocks on while it has no work. A notification is remembered until the next
/// wait consumes it, so one that arrives between "look for work" and "wait" is never lost.
class WakeSignal
{
public:
  void notify();

  /// Blocks until notified or until `deadline`; true when notified.
  bool wait_until(std::chrono::steady_clock::time_point deadline);

private:
  std::mutex mutex_;
  std::condition_variable condition_;
  bool pending_ = false;
};

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__WAKE_SIGNAL_HPP_

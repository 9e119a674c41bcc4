#include "rclcpp/detail/wake_signal.hpp"

namespace rclcpp
{
namespace detail
{

void WakeSignal::notify()
{
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_ = true;
  }
  condition_.notify_all();
}

bool WakeSignal::wait_until(std::chrono::steady_clock::time_point deadline)
{
  std::unique_lock<std::mutex> lock(mutex_);
  if (deadline == std::chrono::steady_clock::time_point::max()) {
    condition_.wait(lock, [this]() { return pending_; });
  } else {
    condition_.wait_until(lock, deadline, [this]() { return pending_; });
  }
  const bool notified = pending_;
  pending_ = false;
  return notified;
}

}  // namespace detail
}  // namespace rclcpp

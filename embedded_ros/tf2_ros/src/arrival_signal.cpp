#include "arrival_signal.hpp"

namespace tf2_ros
{
namespace detail
{
void ArrivalSignal::notify()
{
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++arrivals_;
  }
  condition_.notify_all();
}

bool ArrivalSignal::wait_until(
  const std::function<bool()> & ready, const std::function<bool()> & keep_waiting,
  std::chrono::steady_clock::time_point deadline)
{
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    const uint64_t seen = arrivals_;
    // The check takes the buffer's own locks; arrivals counted meanwhile are not lost.
    lock.unlock();
    if (ready()) {
      return true;
    }
    if (!keep_waiting()) {
      return false;
    }
    lock.lock();
    if (!condition_.wait_until(lock, deadline, [&] { return arrivals_ != seen; })) {
      return false;
    }
  }
}

}  // namespace detail
}  // namespace tf2_ros

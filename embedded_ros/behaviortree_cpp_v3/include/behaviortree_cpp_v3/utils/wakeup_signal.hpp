#ifndef BEHAVIORTREE_CPP_V3_UTILS_WAKEUP_SIGNAL_HPP
#define BEHAVIORTREE_CPP_V3_UTILS_WAKEUP_SIGNAL_HPP

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace BT
{
/// Lets a node cut short the sleep of the thread that ticks its tree.
class WakeUpSignal
{
public:
  /// True when woken up before the time-out.
  bool waitFor(std::chrono::microseconds timeout)
  {
    std::unique_lock<std::mutex> lock(mutex_);
    const bool woken = condition_.wait_for(lock, timeout, [this] { return ready_; });
    ready_ = false;
    return woken;
  }

  void emitSignal()
  {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ready_ = true;
    }
    condition_.notify_all();
  }

private:
  std::mutex mutex_;
  std::condition_variable condition_;
  bool ready_ = false;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_UTILS_WAKEUP_SIGNAL_HPP

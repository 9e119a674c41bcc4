#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace behavior_tree
{
/// Cuts short the wait of BehaviorTreeEngine::run between two cycles. Whoever changes something
/// a cycle checks calls notify() afterwards, from any thread; the run then starts its next cycle
/// at once. Notifications do not queue: any number of them before the run wakes count as one.
class WakeSignal
{
public:
  /// Never blocks for longer than a waiter's check of the signal.
  void notify()
  {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      raised_ = true;
    }
    condition_.notify_all();
  }

  /// Waits until notified or until `deadline`, whichever comes first, and takes the notification
  /// down. True when notified (also when the notification came before the call).
  bool waitUntil(std::chrono::steady_clock::time_point deadline)
  {
    std::unique_lock<std::mutex> lock(mutex_);
    const bool raised = condition_.wait_until(lock, deadline, [this] { return raised_; });
    raised_ = false;
    return raised;
  }

  /// Takes a notification down without waiting.
  void clear()
  {
    std::lock_guard<std::mutex> lock(mutex_);
    raised_ = false;
  }

private:
  std::mutex mutex_;
  std::condition_variable condition_;
  bool raised_ = false;
};

}  // namespace behavior_tree

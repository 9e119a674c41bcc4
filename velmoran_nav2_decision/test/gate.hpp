#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace velmoran::test
{

/// A one-way door between threads: waiters pass once it has been opened.
class Gate
{
public:
  void open()
  {
    // Notify under the lock: a waiter may destroy the gate as soon as it can see it open.
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    cv_.notify_all();
  }

  /// Waits until the gate is open; false on time-out.
  bool pass(std::chrono::milliseconds timeout = std::chrono::seconds(5))
  {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, timeout, [this] { return open_; });
  }

private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool open_{false};
};

}  // namespace velmoran::test

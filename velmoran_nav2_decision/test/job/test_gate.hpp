#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace velmoran::test
{

/// Holds a tree tick inside the Gate node until the test opens it. Shared through the blackboard
/// entry "test_gate" between the test and the plug-in library.
class TestGate
{
public:
  /// Called by the tree: waits until the gate opens (at most `limit`).
  void passThrough(std::chrono::milliseconds limit = std::chrono::seconds(20))
  {
    std::unique_lock<std::mutex> lock(mutex_);
    ++arrivals_;
    changed_.notify_all();
    changed_.wait_for(lock, limit, [this] { return open_; });
  }

  /// Called by the test: waits until the tree is held at the gate.
  bool waitForArrival(std::chrono::milliseconds timeout = std::chrono::seconds(10))
  {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return arrivals_ > 0; });
  }

  void open()
  {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int arrivals_{0};
  bool open_{false};
};

}  // namespace velmoran::test

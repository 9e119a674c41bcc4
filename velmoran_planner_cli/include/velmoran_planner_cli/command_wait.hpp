#pragma once

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace velmoran_planner
{

/// Where the command's main thread waits for answers from the node, for Ctrl-C (SIGINT or
/// SIGTERM) and for its deadline. Construct it before any other thread starts: it blocks the two
/// signals for the whole process and takes them on a thread of its own, so that no thread is
/// interrupted in the middle of a call and the waits see them at once.
class CommandWait
{
public:
  using Clock = std::chrono::steady_clock;

  CommandWait();
  ~CommandWait();
  CommandWait(const CommandWait &) = delete;
  CommandWait & operator=(const CommandWait &) = delete;

  /// The lock under which callbacks change what `done` predicates read; call notify() after.
  std::mutex & mutex() { return mutex_; }
  void notify() { changed_.notify_all(); }

  /// Waits until `done()` holds (true), or an interruption or `deadline` comes first (false).
  /// `done` runs under mutex().
  bool waitUntil(const std::function<bool()> & done, Clock::time_point deadline);
  /// Waits until `done()` holds (true) or `deadline` passes (false), whatever signals come.
  bool waitThroughInterruption(const std::function<bool()> & done, Clock::time_point deadline);
  bool interrupted() const { return interrupted_.load(); }

private:
  void takeSignals();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::atomic<bool> interrupted_{false};
  std::atomic<bool> closing_{false};
  std::thread signal_thread_;
};

}  // namespace velmoran_planner

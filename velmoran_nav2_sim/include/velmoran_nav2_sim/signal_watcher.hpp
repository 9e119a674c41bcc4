#pragma once

#include <signal.h>

#include <functional>
#include <thread>

namespace velmoran_nav2_sim
{

/// Takes SIGINT and SIGTERM from their default action while it lives: they are blocked in the
/// constructing thread and in every thread it starts afterwards, and handed to `on_signal` on a
/// thread of the watcher's own, where any code may run. Construct it before other threads start.
class SignalWatcher
{
public:
  /// Throws std::runtime_error when the signals cannot be taken.
  explicit SignalWatcher(std::function<void(int)> on_signal);
  /// Stops watching and unblocks the signals in the constructing thread.
  ~SignalWatcher();

  SignalWatcher(const SignalWatcher &) = delete;
  SignalWatcher & operator=(const SignalWatcher &) = delete;

private:
  void watch();

  std::function<void(int)> on_signal_;
  sigset_t previous_mask_{};
  int signal_fd_ = -1;
  int stop_fd_ = -1;
  std::thread thread_;
};

}  // namespace velmoran_nav2_sim

#pragma once

#include <functional>
#include <mutex>
#include <string>

namespace velmoran_nav2_sim
{

/// A request from outside, such as a signal, to end a scenario run early. Thread-safe.
class Interruption
{
public:
  /// Records the signal (the first request counts) and runs the handler, if one is set.
  void request(int signal);
  /// The signal of the request, 0 while there was none.
  int signal() const;

  /// Runs `handler` on request, at once when the request came already; replaces any handler.
  /// The handler runs under this object's lock: it must not call back into it.
  void setHandler(std::function<void()> handler);
  /// Returns once no handler runs any more.
  void clearHandler();

  /// "SIGINT", "SIGTERM" or "signal <n>".
  static std::string signalName(int signal);

private:
  mutable std::mutex mutex_;
  int signal_ = 0;
  std::function<void()> handler_;
};

}  // namespace velmoran_nav2_sim

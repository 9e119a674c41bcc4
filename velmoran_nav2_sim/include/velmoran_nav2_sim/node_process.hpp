#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "velmoran_process/subprocess.hpp"

namespace velmoran_nav2_sim
{

/// A program run as a child process, such as the decision node's executable: it shares this
/// process's standard output and error, gets this process's environment with some variables
/// replaced, and is watched from its start, so that its end is noticed at once, whenever it comes.
class NodeProcess
{
public:
  /// How the process ended: describe() gives "exited with status 3", "was killed by signal 9
  /// (SIGKILL)".
  using Exit = velmoran_process::ProcessExit;

  /// Starts `program` with `arguments` and `environment` over this process's environment. The
  /// child starts with no signal blocked, whatever this thread blocks, in a process group of its
  /// own (a Ctrl-C on the terminal reaches this process, which decides how the child ends), and
  /// gets SIGTERM when the thread that starts it ends, with it this process. `on_exit` runs on a
  /// watcher thread once the child ended.
  /// Throws std::runtime_error naming the program when it cannot be started.
  NodeProcess(
    const std::string & program, const std::vector<std::string> & arguments,
    const std::map<std::string, std::string> & environment,
    std::function<void(const Exit &)> on_exit = {});
  /// Stops the child as stop() does with kDefaultGrace if it still runs.
  ~NodeProcess();

  NodeProcess(const NodeProcess &) = delete;
  NodeProcess & operator=(const NodeProcess &) = delete;

  static constexpr std::chrono::milliseconds kDefaultGrace{10000};

  pid_t pid() const { return process_.pid(); }
  /// How the child ended, if it did, without waiting.
  std::optional<Exit> exit() const;
  /// Waits until the child ended or `timeout` passed.
  std::optional<Exit> waitForExit(std::chrono::milliseconds timeout) const;
  /// Sends SIGINT and waits up to `grace` for the child to end; if it has not, kills it with
  /// SIGKILL. How the child ended (at once when it had already).
  Exit stop(std::chrono::milliseconds grace = kDefaultGrace);

private:
  void watch();

  std::function<void(const Exit &)> on_exit_;
  velmoran_process::Subprocess process_;
  mutable std::mutex mutex_;
  mutable std::condition_variable ended_;
  std::optional<Exit> exit_;
  std::thread watcher_;
};

}  // namespace velmoran_nav2_sim

#pragma once

#include <sys/types.h>

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "velmoran_process/process_exit.hpp"

namespace velmoran_process
{

/// A program started in a child process, and reaped exactly once. The child starts with no
/// signal blocked and SIGINT and SIGTERM at their defaults, whatever the starting thread blocks
/// or this process ignores, so that the signals that stop it reach it.
class Subprocess
{
public:
  struct Options
  {
    /// Changes to this process's environment, which the child gets: a value replaces or adds the
    /// variable, std::nullopt removes it.
    std::map<std::string, std::optional<std::string>> environment;
    /// Descriptors that become the child's standard input, output and error; -1 keeps this
    /// process's. Pipe ends given here are best opened with O_CLOEXEC: the child's copies are
    /// made by dup2, and no other child started meanwhile then holds them open.
    int standard_input = -1;
    int standard_output = -1;
    int standard_error = -1;
    /// In a process group of its own, so that a Ctrl-C on the terminal reaches only this process,
    /// which decides how the child ends.
    bool own_process_group = false;
    /// Sent to the child when the thread that started it ends (with it this process); 0: none.
    int parent_death_signal = 0;
    /// Whether a crash of the child may leave a core file.
    bool core_dump = true;
  };

  /// Starts `program` with `arguments`. Throws std::runtime_error "cannot start <program>: ..."
  /// naming the reason when it cannot be started.
  Subprocess(
    const std::string & program, const std::vector<std::string> & arguments,
    const Options & options);
  /// A child that was not reaped yet is killed with SIGKILL and reaped.
  ~Subprocess();

  Subprocess(const Subprocess &) = delete;
  Subprocess & operator=(const Subprocess &) = delete;

  pid_t pid() const { return pid_; }
  /// Sends `number` to the child unless it was reaped already, when its process id may belong to
  /// another process. True when the signal was sent.
  bool signal(int number);
  /// Waits for the child's end and reaps it. Safe to call beside signal() on other threads.
  ProcessExit wait();
  /// How the child ended, reaping it if it did; empty while it runs.
  std::optional<ProcessExit> poll();

private:
  void reap(int options);

  pid_t pid_ = -1;
  std::mutex mutex_;
  std::optional<ProcessExit> exit_;
};

}  // namespace velmoran_process

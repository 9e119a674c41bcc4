#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "velmoran_process/subprocess.hpp"

namespace velmoran::test
{

/// How a child process ended.
using ChildExit = velmoran_process::ProcessExit;

/// A program started as a child process whose standard output and error are collected (merged)
/// while it runs, so a test can wait for a line, signal it and wait for its end.
class ChildProcess
{
public:
  ChildProcess(
    const std::string & program, const std::vector<std::string> & arguments,
    const std::map<std::string, std::string> & environment = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess &) = delete;
  ChildProcess & operator=(const ChildProcess &) = delete;

  /// Waits until the output holds `text` after position `from`; true if it did within `timeout`.
  bool waitForOutput(
    const std::string & text, std::size_t from = 0,
    std::chrono::milliseconds timeout = std::chrono::seconds(20));
  std::string output();
  void sendSignal(int signal_number);
  /// Waits until the main thread of the process sleeps in a wait (such as an executor idling), so
  /// that a signal it then receives does not interrupt it in the middle of writing its log.
  bool waitForIdleMainThread(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  /// Writes `text` to the standard input of the process.
  void writeInput(const std::string & text);
  /// Waits for the end of the process; empty if it still runs after `timeout`.
  std::optional<ChildExit> waitForExit(
    std::chrono::milliseconds timeout = std::chrono::seconds(20));

private:
  void collectOutput(int fd);

  int input_fd_{-1};
  std::optional<velmoran_process::Subprocess> process_;
  std::thread reader_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string output_;
  bool output_closed_{false};
};

}  // namespace velmoran::test

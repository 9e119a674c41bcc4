#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <spdlog/sinks/base_sink.h>

namespace velmoran::test
{

struct CapturedLine
{
  std::string text;
  spdlog::level::level_enum level{spdlog::level::off};
  std::string file;
  std::string function;
  std::chrono::system_clock::time_point time;
};

/// Records every line of the process logger and lets a test wait for one. Installed once per
/// process, before any other thread logs; lines are numbered so a test can look only at the lines
/// after a mark.
class LogCapture : public spdlog::sinks::base_sink<std::mutex>
{
public:
  /// The process's capture; the first call quiets the console and sets the debug level.
  static LogCapture & instance();

  /// Number of lines so far: the mark of "from now on".
  std::size_t mark();
  /// Waits until a line from `from` on contains `text`; true if one did within `timeout`.
  bool waitFor(
    const std::string & text, std::size_t from = 0,
    std::chrono::milliseconds timeout = std::chrono::seconds(10));
  /// Number of lines from `from` on that contain `text`.
  std::size_t count(const std::string & text, std::size_t from = 0);
  /// The first line from `from` on that contains `text`, or an empty line.
  CapturedLine find(const std::string & text, std::size_t from = 0);
  /// Position of the first line from `from` on that contains `text`, or npos.
  std::size_t indexOf(const std::string & text, std::size_t from = 0);
  std::vector<CapturedLine> lines(std::size_t from = 0);
  /// Forgets every line so far (earlier marks become meaningless); for long runs.
  void clear();

protected:
  void sink_it_(const spdlog::details::log_msg & message) override;
  void flush_() override {}

private:
  std::condition_variable changed_;
  std::vector<CapturedLine> lines_;
};

}  // namespace velmoran::test

#pragma once

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <spdlog/sinks/base_sink.h>

#include "logging/logger.hpp"

namespace velmoran::test
{

struct RecordedLine
{
  std::string text;
  spdlog::level::level_enum level{spdlog::level::off};
  std::string file;
  int line{0};
  std::string function;
};

/// Keeps every line it receives, with the statement's source location.
class RecordingSink : public spdlog::sinks::base_sink<std::mutex>
{
public:
  std::vector<RecordedLine> lines()
  {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }

protected:
  void sink_it_(const spdlog::details::log_msg & message) override
  {
    lines_.push_back(
      {std::string(message.payload.data(), message.payload.size()), message.level,
       message.source.filename ? message.source.filename : "", message.source.line,
       message.source.funcname ? message.source.funcname : ""});
  }
  void flush_() override {}

private:
  std::vector<RecordedLine> lines_;
};

/// Attaches a RecordingSink to the process logger for its lifetime. Attach and detach only while
/// no other thread logs.
class AttachedRecordingSink
{
public:
  AttachedRecordingSink() : sink_(std::make_shared<RecordingSink>())
  {
    Logger::Instance("spdlog").logger()->sinks().push_back(sink_);
  }
  ~AttachedRecordingSink()
  {
    auto & sinks = Logger::Instance("spdlog").logger()->sinks();
    sinks.erase(std::remove(sinks.begin(), sinks.end(), sink_), sinks.end());
  }
  AttachedRecordingSink(const AttachedRecordingSink &) = delete;
  AttachedRecordingSink & operator=(const AttachedRecordingSink &) = delete;

  std::vector<RecordedLine> lines() { return sink_->lines(); }

private:
  std::shared_ptr<RecordingSink> sink_;
};

/// Sets up the process logger quietly at debug level, console off, before its first use and
/// before the test starts any thread.
inline void setUpQuietLogger()
{
  setenv("SPDLOG_STDOUT", "false", 1);   // NOLINT(concurrency-mt-unsafe)
  setenv("SPDLOG_SYSTEMD", "false", 1);  // NOLINT(concurrency-mt-unsafe)
  setenv("SPDLOG_LEVEL", "debug", 1);    // NOLINT(concurrency-mt-unsafe)
  Logger::Instance("velmoran_test");
}

}  // namespace velmoran::test

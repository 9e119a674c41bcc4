#include "log_capture.hpp"

#include <cstdlib>

#include "logging/logger.hpp"

namespace velmoran::test
{

LogCapture & LogCapture::instance()
{
  static const std::shared_ptr<LogCapture> capture = [] {
    setenv("SPDLOG_STDOUT", "false", 1);
    setenv("SPDLOG_SYSTEMD", "false", 1);
    setenv("SPDLOG_LEVEL", "debug", 1);
    auto sink = std::make_shared<LogCapture>();
    Logger::Instance("nav2_decision").logger()->sinks().push_back(sink);
    return sink;
  }();
  return *capture;
}

void LogCapture::sink_it_(const spdlog::details::log_msg & message)
{
  lines_.push_back(
    {std::string(message.payload.data(), message.payload.size()), message.level,
     message.source.filename ? message.source.filename : "",
     message.source.funcname ? message.source.funcname : "", message.time});
  changed_.notify_all();
}

std::size_t LogCapture::mark()
{
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_.size();
}

bool LogCapture::waitFor(
  const std::string & text, std::size_t from, std::chrono::milliseconds timeout)
{
  std::unique_lock<std::mutex> lock(mutex_);
  std::size_t checked = from;
  return changed_.wait_for(lock, timeout, [&] {
    for (; checked < lines_.size(); ++checked) {
      if (lines_[checked].text.find(text) != std::string::npos) {
        return true;
      }
    }
    return false;
  });
}

std::size_t LogCapture::count(const std::string & text, std::size_t from)
{
  std::lock_guard<std::mutex> lock(mutex_);
  std::size_t found = 0;
  for (std::size_t i = from; i < lines_.size(); ++i) {
    found += lines_[i].text.find(text) != std::string::npos ? 1 : 0;
  }
  return found;
}

std::size_t LogCapture::indexOf(const std::string & text, std::size_t from)
{
  std::lock_guard<std::mutex> lock(mutex_);
  for (std::size_t i = from; i < lines_.size(); ++i) {
    if (lines_[i].text.find(text) != std::string::npos) {
      return i;
    }
  }
  return std::string::npos;
}

CapturedLine LogCapture::find(const std::string & text, std::size_t from)
{
  const std::size_t index = indexOf(text, from);
  std::lock_guard<std::mutex> lock(mutex_);
  return index == std::string::npos ? CapturedLine{} : lines_[index];
}

std::vector<CapturedLine> LogCapture::lines(std::size_t from)
{
  std::lock_guard<std::mutex> lock(mutex_);
  return from < lines_.size() ? std::vector<CapturedLine>(lines_.begin() + from, lines_.end())
                              : std::vector<CapturedLine>{};
}

}  // namespace velmoran::test

namespace velmoran::test
{

void LogCapture::clear()
{
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.clear();
  lines_.shrink_to_fit();
}

}  // namespace velmoran::test

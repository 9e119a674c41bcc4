#include "ros_log_capture.hpp"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace velmoran::test
{
namespace
{

std::atomic<RosLogCapture *> active_capture{nullptr};

std::string formatted(const char * format, va_list * args)
{
  va_list copy;
  va_copy(copy, *args);
  char text[1024];
  std::vsnprintf(text, sizeof(text), format, copy);
  va_end(copy);
  return text;
}

}  // namespace

RosLogCapture::RosLogCapture() : previous_handler_(rcutils_logging_get_output_handler())
{
  active_capture = this;
  rcutils_logging_set_output_handler(&RosLogCapture::handle);
}

RosLogCapture::~RosLogCapture()
{
  rcutils_logging_set_output_handler(previous_handler_);
  active_capture = nullptr;
}

void RosLogCapture::handle(
  const rcutils_log_location_t * /*location*/, int severity, const char * name,
  rcutils_time_point_value_t /*timestamp*/, const char * format, va_list * args)
{
  if (RosLogCapture * capture = active_capture.load()) {
    capture->keep({severity, name ? name : "", formatted(format, args)});
  }
}

void RosLogCapture::keep(const RosLogLine & line)
{
  std::function<void(const RosLogLine &)> hook;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(line);
    hook = hook_;
  }
  cv_.notify_all();
  if (hook) {
    hook(line);
  }
}

std::vector<RosLogLine> RosLogCapture::lines() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

std::size_t RosLogCapture::count(const std::string & message) const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return countLocked(message);
}

bool RosLogCapture::waitFor(
  const std::string & message, std::size_t times, std::chrono::milliseconds timeout) const
{
  std::unique_lock<std::mutex> lock(mutex_);
  return cv_.wait_for(lock, timeout, [&] { return countLocked(message) >= times; });
}

bool RosLogCapture::waitUntil(
  const std::function<bool(const std::vector<RosLogLine> &)> & condition,
  std::chrono::milliseconds timeout) const
{
  std::unique_lock<std::mutex> lock(mutex_);
  return cv_.wait_for(lock, timeout, [&] { return condition(lines_); });
}

void RosLogCapture::setHook(std::function<void(const RosLogLine &)> hook)
{
  std::lock_guard<std::mutex> lock(mutex_);
  hook_ = std::move(hook);
}

std::size_t RosLogCapture::countLocked(const std::string & message) const
{
  return static_cast<std::size_t>(std::count_if(
    lines_.begin(), lines_.end(),
    [&](const RosLogLine & line) { return line.message == message; }));
}

}  // namespace velmoran::test

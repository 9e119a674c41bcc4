#include "logging/sinks.hpp"

#include <mutex>

#include <spdlog/details/console_globals.h>
#include <spdlog/sinks/ansicolor_sink.h>
#include <spdlog/sinks/systemd_sink.h>

namespace velmoran
{

std::shared_ptr<spdlog::sinks::sink> makeConsoleSink()
{
  return std::make_shared<spdlog::sinks::ansicolor_stdout_sink<spdlog::details::console_mutex>>();
}

std::shared_ptr<spdlog::sinks::sink> makeJournalSink()
{
  return std::make_shared<spdlog::sinks::systemd_sink<std::mutex>>();
}

}  // namespace velmoran

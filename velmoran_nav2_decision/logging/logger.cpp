#include "logging/logger.hpp"

#include <cstdlib>
#include <iostream>
#include <optional>
#include <vector>

#include <fmt/compile.h>
#include <spdlog/sinks/sink.h>

#include "logging/sinks.hpp"

namespace velmoran
{
namespace
{

// Reads a "true"/"false" switch; unset or any other text gives `fallback`, with a note on stdout.
// The environment is read only during set-up, which the singleton's construction serialises.
bool readSwitch(const char * variable, bool fallback)
{
  const char * value = std::getenv(variable);  // NOLINT(concurrency-mt-unsafe)
  const char * fallback_word = fallback ? "true" : "false";
  if (value == nullptr) {
    std::cout << "environment variable " << variable << " is not set, and set " << fallback_word
              << "\n";
    return fallback;
  }
  const std::string text(value);
  if (text == "true" || text == "false") {
    return text == "true";
  }
  std::cout << "environment variable " << variable << " is invalid, and set " << fallback_word
            << "\n";
  return fallback;
}

std::optional<int> levelFromWord(const std::string & word)
{
  static const std::pair<const char *, int> kLevels[] = {
    {"trace", spdlog::level::trace}, {"debug", spdlog::level::debug},
    {"info", spdlog::level::info},   {"warning", spdlog::level::warn},
    {"error", spdlog::level::err},   {"critical", spdlog::level::critical}};
  for (const auto & [name, level] : kLevels) {
    if (word == name) {
      return level;
    }
  }
  return std::nullopt;
}

int configuredLevel()
{
  const char * value = std::getenv("SPDLOG_LEVEL");  // NOLINT(concurrency-mt-unsafe)
  if (value == nullptr) {
    std::cout << "environment variable SPDLOG_LEVEL is not set, and set default level\n";
    return spdlog::level::info;
  }
  if (const std::optional<int> level = levelFromWord(value)) {
    return *level;
  }
  std::cout << "environment variable SPDLOG_LEVEL is invalid, and set default level\n";
  return spdlog::level::info;
}

}  // namespace

Logger & Logger::Instance(const std::string & name)
{
  static Logger instance(name);
  return instance;
}

Logger::Logger(const std::string & name)
{
  try {
    setUp(name);
  } catch (const spdlog::spdlog_ex &) {
    // Keep whatever was built; statements without a logger write nothing.
  }
}

void Logger::setUp(const std::string & name)
{
  std::vector<spdlog::sink_ptr> sinks;
  if (readSwitch("SPDLOG_STDOUT", true)) {
    sinks.push_back(makeConsoleSink());
  }
  if (readSwitch("SPDLOG_SYSTEMD", false)) {
    sinks.push_back(makeJournalSink());
  }
  logger_ = std::make_shared<spdlog::logger>(name, sinks.begin(), sinks.end());

  level_ = configuredLevel();
  logger_->set_level(static_cast<spdlog::level::level_enum>(level_));
  logger_->set_pattern("%v");
}

unsigned Logger::nextLineNumber()
{
  const std::uint8_t sequence =
    static_cast<std::uint8_t>(sequence_.fetch_add(1, std::memory_order_relaxed) + 1);
  return sequence % 128U;
}

void Logger::appendPrefix(
  fmt::memory_buffer & text, spdlog::level::level_enum level, unsigned number)
{
  auto out = std::back_inserter(text);
  switch (level) {
    case spdlog::level::debug:
      fmt::format_to(out, FMT_COMPILE("{0:3d} [DEBUG] "), number);
      break;
    case spdlog::level::info:
      fmt::format_to(out, FMT_COMPILE("{0:3d} [INFO] "), number);
      break;
    case spdlog::level::warn:
      fmt::format_to(out, FMT_COMPILE("{0:3d} [WARN] "), number);
      break;
    case spdlog::level::err:
      fmt::format_to(out, FMT_COMPILE("{0:3d} [ERROR] "), number);
      break;
    case spdlog::level::trace:
      fmt::format_to(out, FMT_COMPILE("{0:3d} [TRACE] "), number);
      break;
    default:
      fmt::format_to(out, FMT_COMPILE("{0:3d} [CRITICAL] "), number);
      break;
  }
}

}  // namespace velmoran

#pragma once

#include <atomic>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <utility>

#include <fmt/format.h>
#include <spdlog/common.h>
#include <spdlog/logger.h>

namespace velmoran
{

/// The process-wide logger behind the LOG_* statements. Its sinks and level are chosen once, from
/// SPDLOG_STDOUT, SPDLOG_SYSTEMD and SPDLOG_LEVEL, by the first call of Instance().
class Logger
{
public:
  /// Returns the singleton; the first call sets it up and names the spdlog logger after `name`.
  static Logger & Instance(const std::string & name);

  Logger(const Logger &) = delete;
  Logger & operator=(const Logger &) = delete;

  /// Writes "<number> [<LEVEL>] <message>" to every sink if `level` passes the threshold.
  template <typename... Args>
  void log(
    const spdlog::source_loc & location, spdlog::level::level_enum level,
    fmt::format_string<Args...> format, Args &&... args);

  /// The spdlog logger the statements write to; empty if set-up failed before creating it.
  std::shared_ptr<spdlog::logger> logger() const { return logger_; }

  /// The level threshold as an spdlog level number.
  int level() const { return level_; }

private:
  explicit Logger(const std::string & name);
  ~Logger() = default;

  void setUp(const std::string & name);
  /// Advances the sequence counter and returns the number shown in the line prefix.
  unsigned nextLineNumber();
  static void appendPrefix(
    fmt::memory_buffer & text, spdlog::level::level_enum level, unsigned number);

  std::shared_ptr<spdlog::logger> logger_;
  // Statements come from many threads; relaxed is enough, the number only labels lines.
  std::atomic<std::uint8_t> sequence_{0};
  int level_{spdlog::level::info};
};

template <typename... Args>
void Logger::log(
  const spdlog::source_loc & location, spdlog::level::level_enum level,
  fmt::format_string<Args...> format, Args &&... args)
{
  const std::shared_ptr<spdlog::logger> logger = logger_;
  if (!logger || level < level_) {
    return;
  }
  fmt::memory_buffer text;
  appendPrefix(text, level, nextLineNumber());
  fmt::format_to(std::back_inserter(text), format, std::forward<Args>(args)...);
  logger->log(location, level, spdlog::string_view_t(text.data(), text.size()));
}

}  // namespace velmoran

#define VELMORAN_LOG_AT(level, ...)                                                       \
  ::velmoran::Logger::Instance("spdlog").log(                                             \
    ::spdlog::source_loc{__FILE__, __LINE__, static_cast<const char *>(__func__)}, level, \
    __VA_ARGS__)

#define LOG_DEBUG(...) VELMORAN_LOG_AT(::spdlog::level::debug, __VA_ARGS__)
#define LOG_INFO(...) VELMORAN_LOG_AT(::spdlog::level::info, __VA_ARGS__)
#define LOG_WARN(...) VELMORAN_LOG_AT(::spdlog::level::warn, __VA_ARGS__)
#define LOG_ERROR(...) VELMORAN_LOG_AT(::spdlog::level::err, __VA_ARGS__)

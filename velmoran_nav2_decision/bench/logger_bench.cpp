// A LOG_INFO statement against the same message through a bare spdlog logger, both writing through
// the colour console sink to /dev/null with the pattern "%v".
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <spdlog/details/console_globals.h>
#include <spdlog/logger.h>
#include <spdlog/sinks/ansicolor_sink.h>

#include "logging/logger.hpp"

namespace
{

using ConsoleSink = spdlog::sinks::ansicolor_sink<spdlog::details::console_mutex>;

std::shared_ptr<ConsoleSink> devNullConsoleSink()
{
  static FILE * dev_null = std::fopen("/dev/null", "w");
  auto sink = std::make_shared<ConsoleSink>(dev_null, spdlog::color_mode::automatic);
  sink->set_pattern("%v");
  return sink;
}

velmoran::Logger & loggerWritingToDevNull()
{
  static velmoran::Logger & logger = []() -> velmoran::Logger & {
    setenv("SPDLOG_STDOUT", "false", 1);
    setenv("SPDLOG_SYSTEMD", "false", 1);
    setenv("SPDLOG_LEVEL", "info", 1);
    velmoran::Logger & instance = velmoran::Logger::Instance("nav2_decision");
    instance.logger()->sinks().push_back(devNullConsoleSink());
    return instance;
  }();
  return logger;
}

void BM_BareSpdlogInfo(benchmark::State & state)
{
  spdlog::logger logger("bare", devNullConsoleSink());
  logger.set_pattern("%v");
  int goal = 0;
  for (auto _ : state) {
    logger.info("goal {} reached, distance {:.3f}, emergency_stop is {}", ++goal, 0.25, false);
  }
}
BENCHMARK(BM_BareSpdlogInfo);

void BM_LogInfoStatement(benchmark::State & state)
{
  loggerWritingToDevNull();
  int goal = 0;
  for (auto _ : state) {
    LOG_INFO("goal {} reached, distance {:.3f}, emergency_stop is {}", ++goal, 0.25, false);
  }
}
BENCHMARK(BM_LogInfoStatement);

void BM_SuppressedDebugStatement(benchmark::State & state)
{
  loggerWritingToDevNull();
  int goal = 0;
  for (auto _ : state) {
    LOG_DEBUG("goal {} reached, distance {:.3f}, emergency_stop is {}", ++goal, 0.25, false);
  }
}
BENCHMARK(BM_SuppressedDebugStatement);

}  // namespace

BENCHMARK_MAIN();

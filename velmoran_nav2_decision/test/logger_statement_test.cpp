#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "logging/logger.hpp"
#include "recording_sink.hpp"

namespace
{

using ::testing::MatchesRegex;
using velmoran::test::AttachedRecordingSink;
using velmoran::test::RecordedLine;

class LoggerStatement : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { velmoran::test::setUpQuietLogger(); }
};

int emergencyStopCallback(bool stop)
{
  const int line = __LINE__ + 1;
  LOG_WARN("emergency_stop is {}", stop);
  return line;
}

TEST_F(LoggerStatement, CarriesThePackageRelativeSourceLocation)
{
  AttachedRecordingSink sink;
  const int line = emergencyStopCallback(true);

  const std::vector<RecordedLine> lines = sink.lines();
  ASSERT_EQ(lines.size(), 1U);
  EXPECT_EQ(lines[0].file, "./test/logger_statement_test.cpp");
  EXPECT_EQ(lines[0].line, line);
  EXPECT_EQ(lines[0].function, "emergencyStopCallback");
  EXPECT_EQ(lines[0].level, spdlog::level::warn);
  EXPECT_THAT(lines[0].text, MatchesRegex("[ 0-9]{3} \\[WARN\\] emergency_stop is true"));
}

TEST_F(LoggerStatement, LambdaStatementsNameTheCallOperator)
{
  AttachedRecordingSink sink;
  [] { LOG_INFO("cancel check {}", 1); }();

  const std::vector<RecordedLine> lines = sink.lines();
  ASSERT_EQ(lines.size(), 1U);
  EXPECT_EQ(lines[0].function, "operator()");
}

TEST_F(LoggerStatement, LevelsKeepTheirTagsAndSpdlogLevels)
{
  AttachedRecordingSink sink;
  LOG_DEBUG("d");
  LOG_INFO("i");
  LOG_WARN("w");
  LOG_ERROR("e");

  const std::vector<RecordedLine> lines = sink.lines();
  ASSERT_EQ(lines.size(), 4U);
  EXPECT_THAT(lines[0].text, MatchesRegex("[ 0-9]{3} \\[DEBUG\\] d"));
  EXPECT_THAT(lines[1].text, MatchesRegex("[ 0-9]{3} \\[INFO\\] i"));
  EXPECT_THAT(lines[2].text, MatchesRegex("[ 0-9]{3} \\[WARN\\] w"));
  EXPECT_THAT(lines[3].text, MatchesRegex("[ 0-9]{3} \\[ERROR\\] e"));
  EXPECT_EQ(lines[0].level, spdlog::level::debug);
  EXPECT_EQ(lines[3].level, spdlog::level::err);
  // Consecutive statements carry consecutive numbers.
  const int first = std::stoi(lines[0].text.substr(0, 3));
  EXPECT_EQ(std::stoi(lines[1].text.substr(0, 3)), (first + 1) % 128);
}

TEST_F(LoggerStatement, ConcurrentStatementsAreAllWritten)
{
  constexpr int kThreads = 4;
  constexpr int kStatementsPerThread = 200;
  AttachedRecordingSink sink;
  std::vector<std::thread> threads;
  threads.reserve(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kStatementsPerThread; ++i) {
        LOG_INFO("thread {} statement {}", t, i);
      }
    });
  }
  for (auto & thread : threads) {
    thread.join();
  }

  const std::vector<RecordedLine> lines = sink.lines();
  ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kStatementsPerThread));
  // The counter is shared: 800 increments cover every shown number.
  std::set<int> numbers;
  for (const auto & line : lines) {
    numbers.insert(std::stoi(line.text.substr(0, 3)));
  }
  EXPECT_EQ(numbers.size(), 128U);
}

TEST_F(LoggerStatement, LaterInstanceCallsKeepTheFirstName)
{
  EXPECT_EQ(velmoran::Logger::Instance("other").logger()->name(), "velmoran_test");
  EXPECT_EQ(velmoran::Logger::Instance("spdlog").level(), spdlog::level::debug);
}

}  // namespace

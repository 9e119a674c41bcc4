// Each case starts the probe in a fresh process, so the logger is set up from the given environment.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fmt/format.h>

#include <string>
#include <vector>

#include "process_runner.hpp"

namespace
{

using velmoran::test::EnvironmentChanges;
using velmoran::test::ProcessOutput;

constexpr const char * kStdoutUnset =
  "environment variable SPDLOG_STDOUT is not set, and set true\n";
constexpr const char * kStdoutInvalid =
  "environment variable SPDLOG_STDOUT is invalid, and set true\n";
constexpr const char * kSystemdUnset =
  "environment variable SPDLOG_SYSTEMD is not set, and set false\n";
constexpr const char * kSystemdInvalid =
  "environment variable SPDLOG_SYSTEMD is invalid, and set false\n";
constexpr const char * kLevelUnset =
  "environment variable SPDLOG_LEVEL is not set, and set default level\n";
constexpr const char * kLevelInvalid =
  "environment variable SPDLOG_LEVEL is invalid, and set default level\n";

// Console only at info, without set-up messages.
const EnvironmentChanges kQuietConsole{
  {"SPDLOG_STDOUT", "true"}, {"SPDLOG_SYSTEMD", "false"}, {"SPDLOG_LEVEL", "info"}};

EnvironmentChanges with(
  EnvironmentChanges base, const std::string & name, std::optional<std::string> value)
{
  base[name] = std::move(value);
  return base;
}

ProcessOutput runProbe(
  const EnvironmentChanges & environment, const std::vector<std::string> & commands)
{
  return velmoran::test::runProcess(VELMORAN_LOGGING_PROBE, commands, environment);
}

std::string probeStdout(
  const EnvironmentChanges & environment, const std::vector<std::string> & commands)
{
  const ProcessOutput output = runProbe(environment, commands);
  EXPECT_EQ(output.exit_status, 0) << output.err;
  return output.out;
}

bool journalAvailable()
{
  struct stat info
  {
  };
  return stat("/run/systemd/journal/socket", &info) == 0;
}

TEST(LoggerEnvironment, NothingSetAnnouncesAllThreeDefaultsAndLogsToConsoleAtInfo)
{
  const EnvironmentChanges unset{
    {"SPDLOG_STDOUT", std::nullopt},
    {"SPDLOG_SYSTEMD", std::nullopt},
    {"SPDLOG_LEVEL", std::nullopt}};
  EXPECT_EQ(
    probeStdout(unset, {"debug:hidden", "info:hello"}),
    std::string(kStdoutUnset) + kSystemdUnset + kLevelUnset + "  1 [INFO] hello\n");
}

TEST(LoggerEnvironment, ValidValuesPrintNoSetUpMessages)
{
  EXPECT_EQ(probeStdout(kQuietConsole, {"info:hello"}), "  1 [INFO] hello\n");
}

TEST(LoggerEnvironment, InvalidStdoutFallsBackToConsole)
{
  for (const char * value : {"", "TRUE", "1", "true "}) {
    EXPECT_EQ(
      probeStdout(with(kQuietConsole, "SPDLOG_STDOUT", value), {"info:hello"}),
      std::string(kStdoutInvalid) + "  1 [INFO] hello\n")
      << "SPDLOG_STDOUT='" << value << "'";
  }
}

TEST(LoggerEnvironment, StdoutFalseWithoutJournalWritesNothing)
{
  EXPECT_EQ(probeStdout(with(kQuietConsole, "SPDLOG_STDOUT", "false"), {"error:lost"}), "");
  const EnvironmentChanges journal_unset =
    with(with(kQuietConsole, "SPDLOG_STDOUT", "false"), "SPDLOG_SYSTEMD", {});
  EXPECT_EQ(probeStdout(journal_unset, {"error:lost"}), kSystemdUnset);
}

TEST(LoggerEnvironment, InvalidSystemdFallsBackToNoJournal)
{
  for (const char * value : {"", "yes", "True"}) {
    EXPECT_EQ(
      probeStdout(with(kQuietConsole, "SPDLOG_SYSTEMD", value), {"info:hello"}),
      std::string(kSystemdInvalid) + "  1 [INFO] hello\n")
      << "SPDLOG_SYSTEMD='" << value << "'";
  }
}

TEST(LoggerEnvironment, LevelWordsAreMatchedWholeAndCaseSensitively)
{
  for (const char * value : {"warn", "INFO", "off", "", "debug "}) {
    EXPECT_EQ(
      probeStdout(with(kQuietConsole, "SPDLOG_LEVEL", value), {"debug:hidden", "info:shown"}),
      std::string(kLevelInvalid) + "  1 [INFO] shown\n")
      << "SPDLOG_LEVEL='" << value << "'";
  }
}

TEST(LoggerEnvironment, EachLevelWordSetsItsThreshold)
{
  const std::vector<std::string> all_levels{"debug:d", "info:i", "warn:w", "error:e"};
  const auto at = [&](const char * level) {
    return probeStdout(with(kQuietConsole, "SPDLOG_LEVEL", level), all_levels);
  };
  EXPECT_EQ(at("trace"), "  1 [DEBUG] d\n  2 [INFO] i\n  3 [WARN] w\n  4 [ERROR] e\n");
  EXPECT_EQ(at("debug"), "  1 [DEBUG] d\n  2 [INFO] i\n  3 [WARN] w\n  4 [ERROR] e\n");
  EXPECT_EQ(at("info"), "  1 [INFO] i\n  2 [WARN] w\n  3 [ERROR] e\n");
  EXPECT_EQ(at("warning"), "  1 [WARN] w\n  2 [ERROR] e\n");
  EXPECT_EQ(at("error"), "  1 [ERROR] e\n");
  EXPECT_EQ(at("critical"), "");
}

TEST(LoggerEnvironment, SuppressedStatementsDoNotAdvanceTheCounter)
{
  EXPECT_EQ(
    probeStdout(
      with(kQuietConsole, "SPDLOG_LEVEL", "warning"),
      {"info:a", "warn:b", "debug:c", "info:d", "error:e", "warn:f"}),
    "  1 [WARN] b\n  2 [ERROR] e\n  3 [WARN] f\n");
}

TEST(LoggerEnvironment, ShownNumberIsTheCounterModulo128)
{
  const std::string out = probeStdout(kQuietConsole, {"burst:300"});
  std::string expected;
  for (int line = 1; line <= 300; ++line) {
    expected += fmt::format("{:3d} [INFO] line {}\n", line % 128, line);
  }
  EXPECT_EQ(out, expected);
  EXPECT_THAT(
    out, ::testing::HasSubstr("127 [INFO] line 127\n  0 [INFO] line 128\n  1 [INFO] line 129\n"));
}

TEST(LoggerEnvironment, BoolArgumentsPrintAsWords)
{
  EXPECT_EQ(
    probeStdout(kQuietConsole, {"flag:true", "flag:false"}),
    "  1 [INFO] emergency_stop is true\n  2 [INFO] emergency_stop is false\n");
}

TEST(LoggerEnvironment, UnwritableJournalDoesNotFailTheStatement)
{
  const ProcessOutput both =
    runProbe(with(kQuietConsole, "SPDLOG_SYSTEMD", "true"), {"info:one", "warn:two"});
  EXPECT_EQ(both.exit_status, 0);
  EXPECT_EQ(both.out, "  1 [INFO] one\n  2 [WARN] two\n");

  const ProcessOutput journal_only = runProbe(
    with(with(kQuietConsole, "SPDLOG_SYSTEMD", "true"), "SPDLOG_STDOUT", "false"),
    {"info:one", "warn:two"});
  EXPECT_EQ(journal_only.exit_status, 0);
  EXPECT_EQ(journal_only.out, "");
  if (!journalAvailable()) {
    // libsystemd drops messages silently while no journal listens.
    EXPECT_EQ(both.err, "");
    EXPECT_EQ(journal_only.err, "");
  }
}

}  // namespace

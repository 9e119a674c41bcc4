// The node's executable as a process: start-up, orderly shutdown and the last-resort handlers.
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.hpp"

namespace
{

using velmoran::test::ChildProcess;
using namespace std::chrono_literals;

const std::map<std::string, std::string> kQuietEnvironment{
  {"SPDLOG_STDOUT", "true"}, {"SPDLOG_SYSTEMD", "false"}, {"SPDLOG_LEVEL", "info"}};

std::vector<std::string> nodeArguments(const std::string & behavior_tree)
{
  return {
    "--ros-args", "--params-file", VELMORAN_PARAMS_FILE, "-p", "behavior_tree:=" + behavior_tree};
}

class ProcessTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    directory_ = std::filesystem::temp_directory_path() /
                 ("velmoran_process_test_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }

  std::string writeFile(const std::string & name, const std::string & text)
  {
    const auto path = directory_ / name;
    std::ofstream(path) << text;
    return path.string();
  }

  static void expectOrderlyExit(ChildProcess & process)
  {
    process.sendSignal(SIGINT);
    const auto status = process.waitForExit();
    ASSERT_TRUE(status) << "still running after SIGINT:\n" << process.output();
    EXPECT_TRUE(status->exited) << process.output();
    EXPECT_EQ(0, status->code) << process.output();
  }

  static void expectCoreDumpAbort(ChildProcess & process, const std::string & first_line)
  {
    const auto status = process.waitForExit();
    ASSERT_TRUE(status) << process.output();
    EXPECT_TRUE(status->signaled()) << process.output();
    EXPECT_EQ(SIGABRT, status->signal) << process.output();
    const std::string output = process.output();
    const auto first = output.find(first_line);
    ASSERT_NE(std::string::npos, first) << output;
    EXPECT_NE(std::string::npos, output.find("[ERROR] Generating core dump...", first)) << output;
  }

  std::filesystem::path directory_;
};

TEST_F(ProcessTest, StartsWithTheMinimalTreeAndEndsWithStatusZeroOnSigint)
{
  ChildProcess process(
    VELMORAN_NODE_EXECUTABLE, nodeArguments(VELMORAN_MINIMAL_TREE), kQuietEnvironment);
  ASSERT_TRUE(process.waitForOutput("velmoran_nav2_decision start successfully"))
    << process.output();
  const std::string output = process.output();
  EXPECT_NE(std::string::npos, output.find("loadBehaviorTree success!")) << output;
  EXPECT_NE(std::string::npos, output.find("createBond start")) << output;
  expectOrderlyExit(process);
}

TEST_F(ProcessTest, MissingTreeStillLogsStartUpAndKeepsSpinning)
{
  const std::string missing = (directory_ / "missing.xml").string();
  ChildProcess process(VELMORAN_NODE_EXECUTABLE, nodeArguments(missing), kQuietEnvironment);
  ASSERT_TRUE(process.waitForOutput("velmoran_nav2_decision start successfully"))
    << process.output();
  const std::string output = process.output();
  EXPECT_NE(std::string::npos, output.find("xml_file is " + missing)) << output;
  EXPECT_NE(std::string::npos, output.find("loadBehaviorTree failed, error code is 101100023"))
    << output;
  EXPECT_FALSE(process.waitForExit(300ms)) << "the process must keep spinning";
  expectOrderlyExit(process);
}

TEST_F(ProcessTest, SigintEndsATreeLoadThatKeepsFailing)
{
  const std::string broken = writeFile("broken.xml", "<root><BehaviorTree ID=\"MainTree\">");
  ChildProcess process(VELMORAN_NODE_EXECUTABLE, nodeArguments(broken), kQuietEnvironment);
  ASSERT_TRUE(process.waitForOutput("Exception when loading BT")) << process.output();
  const std::size_t retries = process.output().size();
  ASSERT_TRUE(process.waitForOutput("Exception when loading BT", retries)) << process.output();
  expectOrderlyExit(process);
  const std::string output = process.output();
  EXPECT_NE(std::string::npos, output.find("loadBehaviorTree failed, error code is 101100023"))
    << output;
  // Start-up stops there: activating or spinning would create objects on the shut-down context.
  EXPECT_EQ(std::string::npos, output.find("velmoran_nav2_decision start successfully")) << output;
  EXPECT_EQ(std::string::npos, output.find("Caught exception")) << output;
}

TEST_F(ProcessTest, SegmentationFaultIsLoggedThenAborts)
{
  ChildProcess process(
    VELMORAN_NODE_EXECUTABLE, nodeArguments(VELMORAN_MINIMAL_TREE), kQuietEnvironment);
  ASSERT_TRUE(process.waitForOutput("velmoran_nav2_decision start successfully"))
    << process.output();
  // The signal goes to the main thread, which must not be in the middle of logging.
  ASSERT_TRUE(process.waitForIdleMainThread());
  process.sendSignal(SIGSEGV);
  expectCoreDumpAbort(process, "[ERROR] Caught signal 11");
  // The line carries the logger's numbered prefix.
  EXPECT_TRUE(std::regex_search(process.output(), std::regex(R"(\d+ \[ERROR\] Caught signal 11)")))
    << process.output();
}

TEST_F(ProcessTest, MalformedParameterFileEndsTheProcessNamingFileAndLine)
{
  struct Case
  {
    const char * file;
    const char * error;
  };
  const Case cases[] = {
    {"unterminated_double_quote.yaml",
     "error at line 3, column 19: while scanning a quoted scalar, found unexpected end of stream"},
    {"unterminated_single_quote.yaml",
     "error at line 4, column 19: while scanning a quoted scalar, found unexpected end of stream"},
  };
  for (const auto & test_case : cases) {
    const std::string path = std::string(VELMORAN_TEST_PARAMS_DIR "/") + test_case.file;
    ChildProcess process(
      VELMORAN_NODE_EXECUTABLE,
      {"--ros-args", "--params-file", path, "-p",
       std::string("behavior_tree:=") + VELMORAN_MINIMAL_TREE},
      kQuietEnvironment);
    const auto status = process.waitForExit();
    ASSERT_TRUE(status) << "still running:\n" << process.output();
    EXPECT_FALSE(status->exited && status->code == 0) << process.output();
    EXPECT_NE(
      std::string::npos,
      process.output().find(
        "Couldn't parse params file: '--params-file " + path + "'. Error: " + test_case.error))
      << process.output();
    EXPECT_EQ(std::string::npos, process.output().find("start successfully")) << process.output();
  }
}

class CrashProbeTest : public ProcessTest,
                       public ::testing::WithParamInterface<std::pair<std::string, std::string>>
{
};

TEST_P(CrashProbeTest, FailureOnAnotherThreadIsLoggedThenAborts)
{
  auto environment = kQuietEnvironment;
  environment["VELMORAN_TEST_CRASH"] = GetParam().first;
  ChildProcess process(VELMORAN_CRASH_PROBE, nodeArguments(VELMORAN_MINIMAL_TREE), environment);
  ASSERT_TRUE(process.waitForOutput("velmoran_nav2_decision start successfully"))
    << process.output();
  process.writeInput("x");
  expectCoreDumpAbort(process, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
  Failures, CrashProbeTest,
  ::testing::Values(
    std::make_pair("runtime_error", "[ERROR] Caught exception: injected failure"),
    std::make_pair("int", "[ERROR] Caught unknown exception"),
    std::make_pair("segv", "[ERROR] Caught signal 11"),
    // std::terminate with no exception in flight.
    std::make_pair("terminate", "[ERROR] Caught unknown exception")),
  [](const auto & info) { return info.param.first; });

}  // namespace

// The runner as a user meets it: a process that refuses bad scenario files with
// "scenario error: <file>:<line>: <field>: <what>" and status 2, and that a signal ends early.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "node/child_process.hpp"
#include "velmoran_nav2_sim/scenario_runner.hpp"

namespace velmoran_nav2_sim
{
namespace
{

using ::testing::HasSubstr;
using velmoran::test::ChildProcess;

const std::string kScenarios = VELMORAN_SIM_TEST_SCENARIOS;

struct BadFile
{
  std::string file;
  /// What follows "scenario error: <path>:".
  std::string error;
};

/// Runs the runner on each file, all at once, and expects it to refuse each file with its error
/// and status 2.
void expectRefused(const std::vector<BadFile> & cases, const std::string & directory = kScenarios)
{
  std::vector<std::string> paths;
  std::vector<std::unique_ptr<ChildProcess>> runners;
  for (const auto & bad : cases) {
    paths.push_back(directory.empty() ? bad.file : directory + "/" + bad.file);
    runners.push_back(
      std::make_unique<ChildProcess>(VELMORAN_SIM_RUNNER, std::vector<std::string>{paths.back()}));
  }
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string & path = paths[i];
    const auto end = runners[i]->waitForExit(std::chrono::seconds(20));
    ASSERT_TRUE(end.has_value()) << path << " still runs";
    EXPECT_TRUE(end->exited) << path << " ended by signal " << end->signal;
    EXPECT_EQ(end->code, 2) << path;
    EXPECT_THAT(
      runners[i]->output(), HasSubstr("scenario error: " + path + ":" + cases[i].error + "\n"))
      << path;
  }
}

TEST(ScenarioFiles, MalformedYamlIsAScenarioError)
{
  expectRefused({
    {"mapping_as_key.yaml", "7: steps[0].job: a key must be a text, not a mapping"},
    {"list_as_key.yaml", "3: (top level): a key must be a text, not a list"},
    {"mapping_as_step_key.yaml", "4: steps[0]: a key must be a text, not a mapping"},
    {"empty_key.yaml", "4: steps[0].job: a key must be a text, not an empty value"},
    {"unclosed_list.yaml", "4: yaml: illegal flow end"},
    {"undefined_alias.yaml", "4: yaml: the referenced anchor is not defined"},
    {"two_documents.yaml", "6: yaml: a scenario file holds one YAML document, not several"},
    {"list_document.yaml", "2: (top level): expected a mapping of fields, not a list"},
    {"only_comment.yaml", "0: (top level): expected a mapping of fields, not an empty value"},
  });
}

TEST(ScenarioFiles, NumbersOutsideTheirRangeAreRefused)
{
  expectRefused({
    {"zone_corner_far.yaml",
     "7: steps[0].job.zones[0][1]: expected a number from -1000000 to 1000000, not '1e39'"},
    {"distance_far.yaml",
     "4: steps[0].job.distance: expected a number from -1000000 to 1000000, not '1e39'"},
    {"goal_far.yaml",
     "4: steps[0].job.poses[0]: expected a number from -1000000 to 1000000, not '1e300'"},
    {"goal_nan.yaml",
     "4: steps[0].job.poses[0]: expected a number from -1000000 to 1000000, not '.nan'"},
    {"yaw_huge.yaml",
     "4: steps[0].goal_pose.pose: expected a number from -360 to 360, not '1e300'"},
    {"start_outside.yaml", "3: start: expected a number from -1000000 to 1000000, not '-2e6'"},
    {"obstacle_infinite.yaml",
     "4: obstacles[0][1]: expected a number from -1000000 to 1000000, not '.inf'"},
    {"wait_long.yaml", "4: steps[0].wait: expected a number from 0 to 3600, not '1e300'"},
    {"emergency_stop_long.yaml",
     "4: steps[0].emergency_stop: expected a number from 0 to 3600, not '1e6'"},
    {"time_factor_tiny.yaml", "3: time_factor: expected a number from 0.1 to 1000, not '1e-300'"},
    {"time_factor_huge.yaml", "3: time_factor: expected a number from 0.1 to 1000, not '1e9'"},
    {"max_speed_huge.yaml", "4: steps[0].job.max_speed: expected a number from 0 to 10, not '1e9'"},
    {"speed_scale_above_one.yaml",
     "4: steps[0].job.fault.speed_scale: expected a number from 0 to 1, not '5'"},
    {"repeated_polygon.yaml",
     "3: obstacles[100]: more than 100000 points and poses in the scenario"},
  });
}

TEST(ScenarioFiles, RepeatedKeysAndIntegersBeyondTheirFieldAreRefused)
{
  expectRefused({
    {"duplicate_top_key.yaml", "5: name: duplicate key"},
    {"duplicate_job_key.yaml", "8: steps[0].job.poses: duplicate key"},
    {"duplicate_step_key.yaml", "4: steps[0].wait: duplicate key"},
    {"command_negative.yaml",
     "4: steps[0].job.command: expected an integer from 0 to 4294967295, not '-1'"},
    {"command_too_large.yaml",
     "4: steps[0].job.command: expected an integer from 0 to 4294967295, not '4294967297'"},
    {"run_mode_too_large.yaml",
     "4: steps[0].job.run_mode: expected an integer from -2147483648 to 2147483647, not "
     "'2147483648'"},
    {"err_num_too_large.yaml",
     "4: steps[0].job.expect.err_num: expected an integer from -2147483648 to 2147483647, not "
     "'4294967296'"},
    {"index_too_small.yaml",
     "4: steps[0].job.expect.index: expected an integer from -2147483648 to 2147483647, not "
     "'-2147483649'"},
  });
}

TEST(ScenarioFiles, FilesThatAreNoPlainScenarioAreRefusedUnread)
{
  const std::filesystem::path directory =
    std::filesystem::temp_directory_path() / ("velmoran_scenarios_" + std::to_string(getpid()));
  std::filesystem::create_directories(directory);
  const std::string pipe = (directory / "pipe.yaml").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const std::string huge = (directory / "huge.yaml").string();
  {
    std::ofstream(huge) << "name: huge\n";
  }
  // Sparse: as large as the limit allows and one byte more, without writing it.
  std::filesystem::resize_file(huge, 16 * 1024 * 1024 + 1);

  expectRefused(
    {
      {"/dev/zero", "0: file: not a regular file (a device, pipe or socket)"},
      {pipe, "0: file: not a regular file (a device, pipe or socket)"},
      {kScenarios, "0: file: is a directory, not a scenario file"},
      {huge, "0: file: larger than 16 MiB (16777217 bytes): not a scenario"},
      {(directory / "missing.yaml").string(), "0: file: cannot be read"},
    },
    "");
  std::filesystem::remove_all(directory);
}

TEST(ScenarioRunner, NodeProcessRefusesADomainIdThatIsNone)
{
  // Refused before ROS starts: the node's process and this one would stay off DDS and never meet.
  for (const std::string domain : {"abc", "233", "-1", "7x"}) {
    ChildProcess runner(
      VELMORAN_SIM_RUNNER, {VELMORAN_SIM_SCENARIOS "/faults.yaml", "--node-process"},
      {{"ROS_DOMAIN_ID", domain}});
    const auto end = runner.waitForExit(std::chrono::seconds(20));
    ASSERT_TRUE(end.has_value()) << domain << ": still runs";
    EXPECT_TRUE(end->exited && end->code == 2) << domain << "\n" << runner.output();
    EXPECT_EQ(
      runner.output(),
      "--node-process: ROS_DOMAIN_ID '" + domain + "' is not a domain id from 0 to 232\n");
  }
}

TEST(ScenarioRunner, ASignalCancelsTheRunningJobAndEndsWithTheTableOfWhatRan)
{
  const struct
  {
    int signal;
    const char * scenario;
    int status;
    const char * name;
  } cases[] = {
    {SIGINT, "interrupted_job.yaml", 130, "SIGINT"},
    {SIGTERM, "interrupted_wait.yaml", 143, "SIGTERM"},
  };
  for (const auto & run : cases) {
    ChildProcess runner(
      VELMORAN_SIM_RUNNER, {kScenarios + "/" + run.scenario, "--tree", VELMORAN_SIM_TREE});
    ASSERT_TRUE(runner.waitForOutput("] long drive (NAVIGATION): accepted")) << run.name << "\n"
                                                                             << runner.output();
    const auto signalled = std::chrono::steady_clock::now();
    runner.sendSignal(run.signal);
    const auto end = runner.waitForExit(std::chrono::seconds(5));
    ASSERT_TRUE(end.has_value()) << run.name << ": still runs\n" << runner.output();
    const auto took = std::chrono::steady_clock::now() - signalled;
    EXPECT_LT(took, std::chrono::seconds(1)) << run.name;
    std::cerr << run.name << " took " << std::chrono::duration<double>(took).count() << " s\n";
    EXPECT_TRUE(end->exited) << run.name;
    EXPECT_EQ(end->code, run.status) << run.name;
    const std::string output = runner.output();
    EXPECT_THAT(output, HasSubstr("[scenario] interrupted: cancelling 1 job(s)")) << run.name;
    EXPECT_THAT(output, ::testing::ContainsRegex("\n1 +long drive +NAVIGATION +interrupted "))
      << output;
    EXPECT_THAT(output, ::testing::Not(HasSubstr("never sent"))) << run.name;
    EXPECT_THAT(output, HasSubstr(std::string("Interrupted by ") + run.name)) << run.name;
  }
  // The first scenario's name holds a path: its plot went to a plain file here.
  EXPECT_TRUE(std::filesystem::remove("_._interrupted_job.svg"));
  EXPECT_TRUE(std::filesystem::remove("interrupted_wait.svg"));
}

TEST(ScenarioRunner, DefaultPlotFileIsAPlainFileNameInTheWorkingDirectory)
{
  const struct
  {
    std::string name;
    std::string file;
  } cases[] = {
    {"tour", "tour.svg"},
    {"unknown key", "unknown_key.svg"},
    {"../escaped/plot", "_._escaped_plot.svg"},
    {"/etc/passwd", "_etc_passwd.svg"},
    {"..", "_..svg"},
    {"", "scenario.svg"},
    {"a\nb\tc$(rm)", "a_b_c__rm_.svg"},
    {std::string(300, 'x'), std::string(100, 'x') + ".svg"},
  };
  for (const auto & scenario : cases) {
    EXPECT_EQ(ScenarioRunner::defaultPlotFile(scenario.name), scenario.file) << scenario.name;
  }
}

}  // namespace
}  // namespace velmoran_nav2_sim

// The runner with the decision node in a child process of its own, talking over DDS: every
// process of a test in a network namespace of this test with loopback only.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "node/child_process.hpp"
#include "private_network.hpp"

namespace
{

using namespace std::chrono_literals;
using ::testing::HasSubstr;
using velmoran::test::ChildProcess;

const std::map<std::string, std::string> & environment()
{
  // A node process that dies is noticed after a second instead of Cyclone's ten.
  static const std::map<std::string, std::string> variables{
    {"CYCLONEDDS_URI",
     "<CycloneDDS><Domain><Discovery><LeaseDuration>1s</LeaseDuration></Discovery></Domain>"
     "</CycloneDDS>"}};
  return variables;
}

class NodeProcessRun : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { refused_ = embedded_ros_test::enter_private_network(); }

  void SetUp() override
  {
    if (!refused_.empty()) {
      GTEST_SKIP() << "no private network for the DDS test: " << refused_;
    }
  }

  static std::unique_ptr<ChildProcess> runner(
    const std::string & scenario, const std::string & plot)
  {
    return std::make_unique<ChildProcess>(
      VELMORAN_SIM_RUNNER,
      std::vector<std::string>{
        scenario, "--tree", VELMORAN_SIM_TREE, "--plot", plot, "--node-process"},
      environment());
  }

  static std::string refused_;
};

std::string NodeProcessRun::refused_;

TEST_F(NodeProcessRun, FaultsAndElevatorEndAsInProcess)
{
  const std::vector<std::string> scenarios{"faults", "elevator"};
  std::vector<std::unique_ptr<ChildProcess>> runs;
  for (const auto & scenario : scenarios) {
    runs.push_back(runner(
      std::string(VELMORAN_SIM_SCENARIOS) + "/" + scenario + ".yaml",
      "node_process_" + scenario + ".svg"));
  }
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const auto exit = runs[i]->waitForExit(90s);
    const std::string output = runs[i]->output();
    ASSERT_TRUE(exit.has_value()) << scenarios[i] << ": still runs\n" << output;
    EXPECT_TRUE(exit->exited && exit->code == 0) << scenarios[i] << "\n" << output;
    EXPECT_THAT(output, HasSubstr("[scenario] the node runs in process ")) << scenarios[i];
    EXPECT_THAT(output, HasSubstr("[scenario] the node process exited with status 0\n"))
      << scenarios[i];
    EXPECT_THAT(output, HasSubstr("Every job ended as the scenario expects.")) << scenarios[i];
    std::remove(("node_process_" + scenarios[i] + ".svg").c_str());
  }
}

TEST_F(NodeProcessRun, NodeProcessKilledMidJobFailsTheJobAndTheRun)
{
  auto run = runner(
    std::string(VELMORAN_SIM_TEST_SCENARIOS) + "/interrupted_job.yaml", "node_process_killed.svg");
  ASSERT_TRUE(run->waitForOutput("] long drive (NAVIGATION): accepted")) << run->output();
  std::smatch found;
  const std::string started = run->output();
  ASSERT_TRUE(std::regex_search(started, found, std::regex("the node runs in process ([0-9]+) ")))
    << started;
  const auto killed = std::chrono::steady_clock::now();
  ASSERT_EQ(kill(static_cast<pid_t>(std::stol(found[1].str())), SIGKILL), 0);

  const auto exit = run->waitForExit(20s);
  const std::string output = run->output();
  ASSERT_TRUE(exit.has_value()) << "still runs\n" << output;
  EXPECT_LT(std::chrono::steady_clock::now() - killed, 5s);
  EXPECT_TRUE(exit->exited && exit->code == 1) << output;
  EXPECT_THAT(
    output, HasSubstr("job 1 'long drive': failed: the node process was killed by signal 9 "
                      "(SIGKILL) while the job ran"));
  EXPECT_THAT(output, ::testing::ContainsRegex("\n1 +long drive +NAVIGATION +failed "));
  EXPECT_THAT(output, ::testing::Not(HasSubstr("never sent")));
  std::remove("node_process_killed.svg");
}

}  // namespace

// velmoran_planner as a user runs it: a child process talking over DDS to the decision node's own
// process. Both run in a network namespace of this test with loopback only.

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cyclone_uris.hpp"
#include "node/child_process.hpp"
#include "private_network.hpp"

namespace
{
using namespace std::chrono_literals;
using velmoran::test::ChildExit;
using velmoran::test::ChildProcess;

const std::map<std::string, std::string> & ddsEnvironment()
{
  static const std::map<std::string, std::string> environment{
    {"RMW_IMPLEMENTATION", "rmw_cyclonedds_cpp"},
    {"ROS_DOMAIN_ID", "31"},
    {"ROS_LOCALHOST_ONLY", "1"},
    {"SPDLOG_LEVEL", "info"},
    {"CYCLONEDDS_URI", embedded_ros_test::kShortLeaseUri}};
  return environment;
}

class PlannerCli : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    refused_ = embedded_ros_test::enter_private_network();
    if (!refused_.empty()) {
      return;
    }
    node_ = std::make_unique<ChildProcess>(
      VELMORAN_NODE_EXECUTABLE,
      std::vector<std::string>{
        "--ros-args", "--params-file", VELMORAN_PARAMS_FILE, "-p",
        std::string("behavior_tree:=") + VELMORAN_TEST_TREE},
      ddsEnvironment());
    started_ = node_->waitForOutput("velmoran_nav2_decision start successfully");
  }

  static void TearDownTestSuite()
  {
    if (node_) {
      node_->sendSignal(SIGINT);
      node_->waitForExit(10s);
      node_.reset();
    }
  }

  void SetUp() override
  {
    if (!refused_.empty()) {
      GTEST_SKIP() << "no private network for the DDS test: " << refused_;
    }
    ASSERT_TRUE(started_) << node_->output();
  }

  static std::unique_ptr<ChildProcess> planner(const std::vector<std::string> & arguments)
  {
    return std::make_unique<ChildProcess>(VELMORAN_PLANNER, arguments, ddsEnvironment());
  }

  /// Runs the tool to its end; its exit status, -1 when it did not end in time.
  static int run(ChildProcess & tool)
  {
    const auto exit = tool.waitForExit(30s);
    return exit && exit->exited ? exit->code : -1;
  }

  static std::string refused_;
  static bool started_;
  static std::unique_ptr<ChildProcess> node_;
};

std::string PlannerCli::refused_;
bool PlannerCli::started_ = false;
std::unique_ptr<ChildProcess> PlannerCli::node_;

TEST_F(PlannerCli, ReachedGoalPrintsTheResultAndExitsZero)
{
  auto tool = planner({"send", "--run-mode", "NAVIGATION", "--pose", "1,2,90", "--pose", "3,0"});
  EXPECT_EQ(run(*tool), 0) << tool->output();
  const std::string output = tool->output();
  EXPECT_NE(output.find("Goal accepted with ID: "), std::string::npos) << output;
  EXPECT_NE(
    output.find("Result:\n  outcome: SUCCEEDED\n  success: true\n  index: "), std::string::npos)
    << output;
  EXPECT_NE(output.find("  err_num: 0\n  message: \"Task completed\"\n"), std::string::npos)
    << output;
  EXPECT_NE(output.find("Goal finished with status: SUCCEEDED\n"), std::string::npos) << output;
}

TEST_F(PlannerCli, FailedJobPrintsItsErrorNumberAndExitsOne)
{
  // The test tree fails every run mode but NAVIGATION and NARROW_SPACE_NAVIGATION.
  auto tool = planner({"send", "--run-mode", "NAVIGATIONPID", "--pose", "1,0"});
  EXPECT_EQ(run(*tool), 1) << tool->output();
  const std::string output = tool->output();
  EXPECT_NE(
    output.find("Result:\n  outcome: ABORTED\n  success: false\n  index: "), std::string::npos)
    << output;
  EXPECT_NE(output.find("  err_num: 1\n  message: \"Task failed\"\n"), std::string::npos) << output;
}

TEST_F(PlannerCli, CtrlCCancelsTheRunningGoal)
{
  const std::size_t node_log = node_->output().size();
  // NARROW_SPACE_NAVIGATION runs in the test tree until it is canceled.
  auto tool = planner({"send", "--run-mode", "NARROW_SPACE_NAVIGATION", "--pose", "1,0"});
  ASSERT_TRUE(tool->waitForOutput("Goal accepted with ID: ")) << tool->output();
  ASSERT_TRUE(tool->waitForIdleMainThread()) << tool->output();
  tool->sendSignal(SIGINT);
  EXPECT_EQ(run(*tool), 1) << tool->output();
  const std::string output = tool->output();
  EXPECT_NE(
    output.find("Interrupted, canceling the goal...\nCancel request accepted.\n"),
    std::string::npos)
    << output;
  EXPECT_NE(output.find("Result:\n  outcome: CANCELED\n"), std::string::npos) << output;
  EXPECT_NE(output.find("  message: \"Task has been cancled\"\n"), std::string::npos) << output;
  EXPECT_TRUE(node_->waitForOutput("Task has been cancled", node_log)) << node_->output();
}

TEST_F(PlannerCli, UsageErrorsExitTwoBeforeTouchingTheNetwork)
{
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
    {{"send", "--pose", "1,2"}, "velmoran_planner: error: argument --run-mode: required by 'send'"},
    {{"send", "--run-mode", "FLY"},
     "velmoran_planner: error: argument --run-mode: invalid run mode 'FLY' (see --help for the "
     "names)"},
    {{"estop"}, "velmoran_planner: error: argument on|off: required by 'estop'"},
  };
  for (const auto & [arguments, error] : cases) {
    auto tool = planner(arguments);
    EXPECT_EQ(run(*tool), 2) << tool->output();
    EXPECT_EQ(
      tool->output(),
      "usage: velmoran_planner [--node NAME] [--namespace NS] [--timeout S] "
      "{send,cancel,stop-task,estop,arm-retract-check} ...\n" +
        error + "\n");
  }
}

TEST_F(PlannerCli, ServicesAndTheEmergencyStopReachTheNode)
{
  const std::size_t node_log = node_->output().size();
  auto estop = planner({"estop", "on"});
  EXPECT_EQ(run(*estop), 0) << estop->output();
  EXPECT_TRUE(node_->waitForOutput("emergency_stop is true", node_log)) << node_->output();

  auto check = planner({"arm-retract-check", "--point", "0.1,0", "--point", "5,5"});
  EXPECT_EQ(run(*check), 0) << check->output();
  // The robot pose cannot be read in this process, so it counts as the origin: 0.01 m² away.
  EXPECT_NE(check->output().find("need_retract: false\n"), std::string::npos) << check->output();

  auto stop = planner({"stop-task"});
  EXPECT_EQ(run(*stop), 0) << stop->output();
  EXPECT_NE(stop->output().find("Stop requested through /stop_task"), std::string::npos)
    << stop->output();

  auto cancel = planner({"cancel"});
  // Nothing runs: the server accepts the request and cancels no goal, as rclcpp_action does.
  EXPECT_EQ(run(*cancel), 0) << cancel->output();
  EXPECT_NE(cancel->output().find("Canceling 0 goal(s).\n"), std::string::npos) << cancel->output();
}

}  // namespace

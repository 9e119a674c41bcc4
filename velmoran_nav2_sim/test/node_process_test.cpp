// The child process that hosts the decision node: how it is started, how its end is noticed and
// how it is stopped, told apart by the exit status the runner judges.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "velmoran_nav2_sim/node_process.hpp"

namespace velmoran_nav2_sim
{
namespace
{

using namespace std::chrono_literals;
using ::testing::HasSubstr;

std::vector<std::string> shell(const std::string & script) { return {"-c", script}; }

TEST(NodeProcess, ReportsHowTheChildEnded)
{
  struct Case
  {
    std::string script;
    std::map<std::string, std::string> environment;
    std::string expected;
  };
  setenv("VELMORAN_NODE_PROCESS_TEST", "inherited", 1);
  const std::vector<Case> cases{
    {"exit 3", {}, "exited with status 3"},
    {"kill -SEGV $$", {}, "was killed by signal 11 (SIGSEGV)"},
    // The given variables replace or join this process's environment, which the child keeps.
    {"test \"$ROS_DOMAIN_ID\" = 57 && test \"$VELMORAN_NODE_PROCESS_TEST\" = inherited",
     {{"ROS_DOMAIN_ID", "57"}},
     "exited with status 0"},
    {"test \"$VELMORAN_NODE_PROCESS_TEST\" = replaced",
     {{"VELMORAN_NODE_PROCESS_TEST", "replaced"}},
     "exited with status 0"},
  };
  for (const auto & test_case : cases) {
    std::promise<NodeProcess::Exit> noticed;
    NodeProcess child(
      "/bin/sh", shell(test_case.script), test_case.environment,
      [&noticed](const NodeProcess::Exit & exit) { noticed.set_value(exit); });
    auto notice = noticed.get_future();
    ASSERT_EQ(notice.wait_for(10s), std::future_status::ready) << test_case.script;
    EXPECT_EQ(notice.get().describe(), test_case.expected) << test_case.script;
    const auto exit = child.exit();
    ASSERT_TRUE(exit.has_value()) << test_case.script;
    EXPECT_EQ(exit->describe(), test_case.expected) << test_case.script;
    // Stopping a child that ended already reports the same end and signals nothing.
    EXPECT_EQ(child.stop(0ms).describe(), test_case.expected) << test_case.script;
  }
  unsetenv("VELMORAN_NODE_PROCESS_TEST");
}

TEST(NodeProcess, StopReachesAChildStartedFromAThreadThatBlocksSigint)
{
  // As the runner's main thread does, which takes SIGINT through a signal watcher.
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  sigset_t previous;
  ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &interrupt, &previous), 0);
  {
    NodeProcess child("/bin/sh", shell("exec sleep 30"), {});
    const NodeProcess::Exit exit = child.stop(10s);
    EXPECT_FALSE(exit.clean());
    EXPECT_EQ(exit.describe(), "was killed by signal 2 (SIGINT)");
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

TEST(NodeProcess, StopKillsAChildThatOutlivesTheGrace)
{
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const auto start = std::chrono::steady_clock::now();
  NodeProcess child(
    "/bin/sh",
    shell(
      "trap '' INT; echo ready >&" + std::to_string(ready[1]) + "; exec sleep 30 " +
      std::to_string(ready[1]) + ">&-"),
    {});
  close(ready[1]);
  pollfd descriptor{ready[0], POLLIN, 0};
  ASSERT_EQ(poll(&descriptor, 1, 10000), 1);
  close(ready[0]);

  const NodeProcess::Exit exit = child.stop(200ms);
  EXPECT_EQ(exit.describe(), "was killed by signal 9 (SIGKILL)");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

TEST(NodeProcess, AProgramThatCannotStartIsAnErrorNamingIt)
{
  try {
    NodeProcess child("/nonexistent/velmoran_nav2_decision", {}, {});
    FAIL() << "started a program that does not exist";
  } catch (const std::runtime_error & error) {
    EXPECT_THAT(
      error.what(),
      HasSubstr("cannot start /nonexistent/velmoran_nav2_decision: No such file or directory"));
  }
}

}  // namespace
}  // namespace velmoran_nav2_sim

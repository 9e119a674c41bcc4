// The child process that hosts the decision node: how it is started, how its end is noticed and
// how it is stopped, told apart by the exit status the runner judges.
#include <gtest/gtest.h>

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "velmoran_nav2_sim/node_process.hpp"

namespace velmoran_nav2_sim
{
namespace
{

using namespace std::chrono_literals;

TEST(NodeProcess, ReportsHowTheChildEndedOrWhyItCouldNotStart)
{
  // Started from a thread that blocks SIGINT, as the runner's main thread does, which takes it
  // through a signal watcher: the child must not inherit that mask.
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  sigset_t previous;
  ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &interrupt, &previous), 0);
  setenv("VELMORAN_NODE_PROCESS_TEST", "inherited", 1);
  // A child that is to be stopped says it is ready on this pipe once its shell set up its traps.
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const std::string say_ready = "echo ready >&" + std::to_string(ready[1]) + "; ";

  struct Case
  {
    std::string script;  ///< run by /bin/sh, or the program itself when `program` is given
    std::map<std::string, std::string> environment;
    std::optional<std::chrono::milliseconds> stop_grace;  ///< ends by itself when empty
    std::string expected;  ///< how it ended, or the error text of a child that cannot start
    std::string program = "/bin/sh";
  };
  const std::vector<Case> cases{
    {"exit 3", {}, {}, "exited with status 3"},
    {"kill -SEGV $$", {}, {}, "was killed by signal 11 (SIGSEGV)"},
    // The given variables replace or join this process's environment, which the child keeps.
    {"test \"$ROS_DOMAIN_ID\" = 57 && test \"$VELMORAN_NODE_PROCESS_TEST\" = inherited",
     {{"ROS_DOMAIN_ID", "57"}},
     {},
     "exited with status 0"},
    {"test \"$VELMORAN_NODE_PROCESS_TEST\" = replaced",
     {{"VELMORAN_NODE_PROCESS_TEST", "replaced"}},
     {},
     "exited with status 0"},
    {say_ready + "exec sleep 30", {}, 10s, "was killed by signal 2 (SIGINT)"},
    // One that ignores SIGINT is killed once the grace time is over.
    {"trap '' INT; " + say_ready + "exec sleep 30", {}, 200ms, "was killed by signal 9 (SIGKILL)"},
    {"",
     {},
     {},
     "cannot start /nonexistent/velmoran_nav2_decision: No such file or directory",
     "/nonexistent/velmoran_nav2_decision"},
  };
  for (const auto & test_case : cases) {
    SCOPED_TRACE(test_case.program + " " + test_case.script);
    std::promise<NodeProcess::Exit> noticed;
    auto notice = noticed.get_future();
    std::optional<NodeProcess> child;
    try {
      child.emplace(
        test_case.program,
        test_case.program == "/bin/sh" ? std::vector<std::string>{"-c", test_case.script}
                                       : std::vector<std::string>{},
        test_case.environment,
        [&noticed](const NodeProcess::Exit & exit) { noticed.set_value(exit); });
    } catch (const std::runtime_error & error) {
      EXPECT_EQ(error.what(), test_case.expected);
      continue;
    }
    if (test_case.stop_grace) {
      pollfd descriptor{ready[0], POLLIN, 0};
      ASSERT_EQ(poll(&descriptor, 1, 10000), 1);
      char line[6];
      ASSERT_EQ(read(ready[0], line, sizeof(line)), 6);
      const auto start = std::chrono::steady_clock::now();
      EXPECT_EQ(child->stop(*test_case.stop_grace).describe(), test_case.expected);
      EXPECT_LT(std::chrono::steady_clock::now() - start, *test_case.stop_grace + 5s);
    }
    ASSERT_EQ(notice.wait_for(10s), std::future_status::ready);
    const NodeProcess::Exit exit = notice.get();
    EXPECT_EQ(exit.describe(), test_case.expected);
    EXPECT_EQ(exit.clean(), test_case.expected == "exited with status 0");
    ASSERT_TRUE(child->exit().has_value());
    EXPECT_EQ(child->exit()->describe(), test_case.expected);
    // Stopping a child that ended already reports the same end and signals nothing.
    EXPECT_EQ(child->stop(0ms).describe(), test_case.expected);
  }
  close(ready[0]);
  close(ready[1]);
  unsetenv("VELMORAN_NODE_PROCESS_TEST");
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace
}  // namespace velmoran_nav2_sim

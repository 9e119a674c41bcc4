// What a started child gets from this process and what it does not; how it ends, how that is
// reported and exec failures are checked through the programs that start children.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "velmoran_process/subprocess.hpp"

namespace velmoran_process
{
namespace
{

TEST(Subprocess, TheChildGetsWhatItIsStartedWith)
{
  // Ignored here, at its default in the child.
  const auto previous_handler = ::signal(SIGTERM, SIG_IGN);
  setenv("VELMORAN_SUBPROCESS_TEST", "set", 1);
  const std::string group_is = "read -r _ _ _ _ group _ < /proc/$$/stat && test \"$group\" = ";
  struct Case
  {
    std::string script;  ///< run by /bin/sh
    bool own_process_group;
    bool core_dump;
    bool started_on_an_ending_thread;
    std::string expected;
    std::map<std::string, std::optional<std::string>> environment = {};
  };
  const Case cases[] = {
    {group_is + "$$", true, true, false, "exited with status 0"},
    {group_is + std::to_string(getpgrp()), false, true, false, "exited with status 0"},
    {"test \"$(ulimit -c)\" = 0", false, false, false, "exited with status 0"},
    {"kill -TERM $$; exit 4", false, true, false, "was killed by signal 15 (SIGTERM)"},
    // The parent-death signal comes when the thread that started the child ends.
    {"exec sleep 30", false, true, true, "was killed by signal 15 (SIGTERM)"},
    {"test -z \"${VELMORAN_SUBPROCESS_TEST+set}\"",
     false,
     true,
     false,
     "exited with status 0",
     {{"VELMORAN_SUBPROCESS_TEST", std::nullopt}}},
  };
  for (const auto & test_case : cases) {
    SCOPED_TRACE(test_case.script);
    Subprocess::Options options;
    options.environment = test_case.environment;
    options.own_process_group = test_case.own_process_group;
    options.core_dump = test_case.core_dump;
    options.parent_death_signal = SIGTERM;
    std::optional<Subprocess> child;
    const auto start = [&]() {
      child.emplace("/bin/sh", std::vector<std::string>{"-c", test_case.script}, options);
    };
    if (test_case.started_on_an_ending_thread) {
      std::thread(start).join();
    } else {
      start();
    }
    EXPECT_EQ(child->wait().describe(), test_case.expected);
    // Reaped once: the same end again, and no signal to a process id that may be another's now.
    EXPECT_EQ(child->poll()->describe(), test_case.expected);
    EXPECT_FALSE(child->signal(SIGKILL));
  }
  unsetenv("VELMORAN_SUBPROCESS_TEST");
  ::signal(SIGTERM, previous_handler);
}

}  // namespace
}  // namespace velmoran_process

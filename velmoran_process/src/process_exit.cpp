#include "velmoran_process/process_exit.hpp"

#include <sys/wait.h>

#include <cstring>

namespace velmoran_process
{

ProcessExit ProcessExit::fromWaitStatus(int status)
{
  ProcessExit result;
  result.exited = WIFEXITED(status);
  result.code = result.exited ? WEXITSTATUS(status) : -1;
  result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return result;
}

std::string ProcessExit::describe() const
{
  if (exited) {
    return "exited with status " + std::to_string(code);
  }
  if (signal == 0) {
    return "ended without a status to read";
  }
  const std::string text = "was killed by signal " + std::to_string(signal);
  const char * name = sigabbrev_np(signal);
  return name != nullptr ? text + " (SIG" + name + ")" : text;
}

}  // namespace velmoran_process

#pragma once

#include <string>

namespace velmoran_process
{

/// How a child process ended.
struct ProcessExit
{
  /// Ended by exit(): `code` is its status. Otherwise a signal ended it: `signal`. Neither when
  /// its status was taken by someone else.
  bool exited = false;
  int code = -1;
  int signal = 0;

  /// From a status that waitpid() reported.
  static ProcessExit fromWaitStatus(int status);

  bool signaled() const { return signal != 0; }
  /// Ended by exit() with status 0.
  bool clean() const { return exited && code == 0; }
  /// "exited with status 3", "was killed by signal 9 (SIGKILL)".
  std::string describe() const;
};

}  // namespace velmoran_process

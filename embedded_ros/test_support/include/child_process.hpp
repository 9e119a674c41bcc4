#ifndef CHILD_PROCESS_HPP_
#define CHILD_PROCESS_HPP_

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <exception>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "velmoran_process/subprocess.hpp"

namespace embedded_ros_test
{

/// A program run in a child process that keeps running until its standard input is closed; it
/// inherits this process's environment and network namespace. Its standard error is kept.
class ChildProcess
{
public:
  ChildProcess(const std::string & program, const std::vector<std::string> & arguments)
  {
    int input[2];
    int errors[2];
    if (pipe2(input, O_CLOEXEC) != 0) {
      return;
    }
    if (pipe2(errors, O_CLOEXEC) != 0) {
      close(input[0]);
      close(input[1]);
      return;
    }
    velmoran_process::Subprocess::Options options;
    options.standard_input = input[0];
    options.standard_error = errors[1];
    try {
      process_.emplace(program, arguments, options);
    } catch (const std::exception & error) {
      log_ = error.what();
    }
    close(input[0]);
    close(errors[1]);
    if (!process_) {
      close(input[1]);
      close(errors[0]);
      return;
    }
    stdin_ = input[1];
    stderr_ = errors[0];
  }

  ~ChildProcess() { stop(); }

  ChildProcess(const ChildProcess &) = delete;
  ChildProcess & operator=(const ChildProcess &) = delete;

  /// Ends the child; true when it exited normally. Its log is in log().
  bool stop() { return finish(false); }
  /// Kills the child with SIGKILL, as a crash would end it: it says goodbye to nobody.
  void kill() { finish(true); }

  bool started() const { return process_.has_value(); }
  /// What the child wrote to its standard error, or why it could not be started.
  const std::string & log() const { return log_; }

private:
  bool finish(bool kill_it)
  {
    if (!process_) {
      return false;
    }
    if (kill_it) {
      process_->signal(SIGKILL);
    }
    close(stdin_);
    char buffer[4096];
    pollfd descriptor{stderr_, POLLIN, 0};
    while (poll(&descriptor, 1, 10000) > 0) {
      const ssize_t got = read(stderr_, buffer, sizeof(buffer));
      if (got <= 0) {
        break;
      }
      log_.append(buffer, static_cast<size_t>(got));
    }
    close(stderr_);
    const bool clean = process_->wait().clean();
    process_.reset();
    return clean;
  }

  std::optional<velmoran_process::Subprocess> process_;
  int stdin_ = -1;
  int stderr_ = -1;
  std::string log_;
};

/// In the child: spins `executor` until this process's standard input is closed.
template <typename Executor>
void spin_until_input_closes(Executor & executor)
{
  std::thread stop([&executor]() {
    char byte = 0;
    while (read(STDIN_FILENO, &byte, 1) > 0) {
    }
    executor.cancel();
  });
  executor.spin();
  stop.join();
}

}  // namespace embedded_ros_test

#endif  // CHILD_PROCESS_HPP_

#ifndef CHILD_PROCESS_HPP_
#define CHILD_PROCESS_HPP_

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

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
    if (pipe(input) != 0) {
      return;
    }
    if (pipe(errors) != 0) {
      close(input[0]);
      close(input[1]);
      return;
    }
    std::vector<char *> argv{const_cast<char *>(program.c_str())};
    for (const auto & argument : arguments) {
      argv.push_back(const_cast<char *>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(input[0], STDIN_FILENO);
      dup2(errors[1], STDERR_FILENO);
      close(input[1]);
      close(errors[0]);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(input[0]);
    close(errors[1]);
    if (pid_ < 0) {
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

  bool started() const { return pid_ > 0; }
  const std::string & log() const { return log_; }

private:
  bool finish(bool kill_it)
  {
    if (pid_ <= 0) {
      return false;
    }
    if (kill_it) {
      ::kill(pid_, SIGKILL);
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
    int status = -1;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  pid_t pid_ = -1;
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

#include "child_process.hpp"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmoran::test
{

ChildProcess::ChildProcess(
  const std::string & program, const std::vector<std::string> & arguments,
  const std::map<std::string, std::string> & environment)
{
  int pipe_fds[2];
  int input_fds[2];
  if (pipe(pipe_fds) != 0 || pipe(input_fds) != 0) {
    throw std::runtime_error("pipe failed");
  }
  std::vector<std::string> argv_text{program};
  argv_text.insert(argv_text.end(), arguments.begin(), arguments.end());
  std::vector<char *> argv;
  for (auto & argument : argv_text) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  // Built before fork: the child of a threaded process may only make async-signal-safe calls.
  std::vector<std::string> environment_text;
  for (char ** variable = environ; *variable != nullptr; ++variable) {
    const std::string entry(*variable);
    if (environment.count(entry.substr(0, entry.find('='))) == 0) {
      environment_text.push_back(entry);
    }
  }
  for (const auto & [name, value] : environment) {
    environment_text.push_back(name + "=" + value);
  }
  std::vector<char *> envp;
  for (auto & entry : environment_text) {
    envp.push_back(entry.data());
  }
  envp.push_back(nullptr);

  pid_ = fork();
  if (pid_ < 0) {
    throw std::runtime_error("fork failed");
  }
  if (pid_ == 0) {
    dup2(input_fds[0], STDIN_FILENO);
    dup2(pipe_fds[1], STDOUT_FILENO);
    dup2(pipe_fds[1], STDERR_FILENO);
    close(input_fds[0]);
    close(input_fds[1]);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    // Crashes under test must not leave core files behind.
    const rlimit no_core{0, 0};
    setrlimit(RLIMIT_CORE, &no_core);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(pipe_fds[1]);
  close(input_fds[0]);
  input_fd_ = input_fds[1];
  reader_ = std::thread([this, fd = pipe_fds[0]] { collectOutput(fd); });
}

ChildProcess::~ChildProcess()
{
  if (!waitForExit(std::chrono::milliseconds(0))) {
    kill(pid_, SIGKILL);
    waitForExit(std::chrono::seconds(10));
  }
  reader_.join();
  close(input_fd_);
}

void ChildProcess::writeInput(const std::string & text)
{
  const ssize_t written = write(input_fd_, text.data(), text.size());
  (void)written;
}

void ChildProcess::collectOutput(int fd)
{
  char buffer[4096];
  while (true) {
    const ssize_t length = read(fd, buffer, sizeof(buffer));
    if (length <= 0) {
      break;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    output_.append(buffer, static_cast<std::size_t>(length));
    changed_.notify_all();
  }
  close(fd);
  std::lock_guard<std::mutex> lock(mutex_);
  output_closed_ = true;
  changed_.notify_all();
}

bool ChildProcess::waitForOutput(
  const std::string & text, std::size_t from, std::chrono::milliseconds timeout)
{
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    return output_.find(text, from) != std::string::npos || output_closed_;
  }) && output_.find(text, from) != std::string::npos;
}

std::string ChildProcess::output()
{
  std::lock_guard<std::mutex> lock(mutex_);
  return output_;
}

void ChildProcess::sendSignal(int signal_number) { kill(pid_, signal_number); }

bool ChildProcess::waitForIdleMainThread(std::chrono::milliseconds timeout)
{
  // /proc/<pid>/syscall starts with the number of the system call the main thread is blocked in.
  constexpr long kFutex = 202;
  constexpr long kEpollWait = 232;
  constexpr long kPpoll = 271;
  constexpr long kEpollPwait = 281;
  const std::string path = "/proc/" + std::to_string(pid_) + "/syscall";
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream syscall_file(path);
    long number = -1;
    if (
      syscall_file >> number &&
      (number == kFutex || number == kEpollWait || number == kPpoll || number == kEpollPwait)) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

std::optional<ChildExit> ChildProcess::waitForExit(std::chrono::milliseconds timeout)
{
  if (exit_) {
    return exit_;
  }
  // The end of the output (the pipe closes when the process and its threads are gone) is the
  // event to wait for; waitpid then only collects the status.
  bool closed = false;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    closed = changed_.wait_for(lock, timeout, [this] { return output_closed_; });
  }
  int status = 0;
  const pid_t result = waitpid(pid_, &status, closed ? 0 : WNOHANG);
  if (result != pid_) {
    return std::nullopt;
  }
  ChildExit child_exit;
  child_exit.exited = WIFEXITED(status);
  child_exit.code = child_exit.exited ? WEXITSTATUS(status) : -1;
  child_exit.signaled = WIFSIGNALED(status);
  child_exit.signal = child_exit.signaled ? WTERMSIG(status) : 0;
  exit_ = child_exit;
  return exit_;
}

}  // namespace velmoran::test

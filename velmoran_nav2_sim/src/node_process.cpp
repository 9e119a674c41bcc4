#include "velmoran_nav2_sim/node_process.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include <fmt/format.h>

namespace velmoran_nav2_sim
{

std::string NodeProcess::Exit::describe() const
{
  if (exited) {
    return fmt::format("exited with status {}", code);
  }
  const char * name = sigabbrev_np(signal);
  return name != nullptr ? fmt::format("was killed by signal {} (SIG{})", signal, name)
                         : fmt::format("was killed by signal {}", signal);
}

NodeProcess::NodeProcess(
  const std::string & program, const std::vector<std::string> & arguments,
  const std::map<std::string, std::string> & environment, std::function<void(const Exit &)> on_exit)
: on_exit_(std::move(on_exit))
{
  // Everything the child needs is built before fork: the child of a threaded process may only
  // make async-signal-safe calls until it execs.
  std::vector<std::string> argv_text{program};
  argv_text.insert(argv_text.end(), arguments.begin(), arguments.end());
  std::vector<char *> argv;
  for (auto & argument : argv_text) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
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

  // The child writes its errno here when exec fails; a successful exec closes it empty.
  int exec_error[2];
  if (pipe2(exec_error, O_CLOEXEC) != 0) {
    throw std::runtime_error(
      fmt::format("cannot start {}: pipe: {}", program, std::strerror(errno)));
  }
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ < 0) {
    const int error = errno;
    close(exec_error[0]);
    close(exec_error[1]);
    throw std::runtime_error(
      fmt::format("cannot start {}: fork: {}", program, std::strerror(error)));
  }
  if (pid_ == 0) {
    close(exec_error[0]);
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) {
      _exit(127);
    }
    // A mask blocked by this thread (a signal watcher's) would survive exec and keep the child
    // deaf to the SIGINT that stops it.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    execve(program.c_str(), argv.data(), envp.data());
    const int error = errno;
    const ssize_t written = write(exec_error[1], &error, sizeof(error));
    (void)written;
    _exit(127);
  }
  close(exec_error[1]);
  int error = 0;
  ssize_t got = -1;
  do {
    got = read(exec_error[0], &error, sizeof(error));
  } while (got < 0 && errno == EINTR);
  close(exec_error[0]);
  if (got == static_cast<ssize_t>(sizeof(error))) {
    int status = 0;
    waitpid(pid_, &status, 0);
    throw std::runtime_error(fmt::format("cannot start {}: {}", program, std::strerror(error)));
  }
  watcher_ = std::thread([this]() { watch(); });
}

NodeProcess::~NodeProcess()
{
  stop();
  watcher_.join();
}

void NodeProcess::watch()
{
  // Waits without reaping: until exit_ is set the pid stays this child's, so stop() can signal
  // it without hitting a process that took the number over.
  siginfo_t info{};
  while (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
  }
  Exit result;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    result.exited = WIFEXITED(status);
    result.code = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    exit_ = result;
  }
  ended_.notify_all();
  if (on_exit_) {
    on_exit_(result);
  }
}

std::optional<NodeProcess::Exit> NodeProcess::exit() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return exit_;
}

std::optional<NodeProcess::Exit> NodeProcess::waitForExit(std::chrono::milliseconds timeout) const
{
  std::unique_lock<std::mutex> lock(mutex_);
  ended_.wait_for(lock, timeout, [this]() { return exit_.has_value(); });
  return exit_;
}

NodeProcess::Exit NodeProcess::stop(std::chrono::milliseconds grace)
{
  std::unique_lock<std::mutex> lock(mutex_);
  if (!exit_) {
    kill(pid_, SIGINT);
    if (!ended_.wait_for(lock, grace, [this]() { return exit_.has_value(); })) {
      kill(pid_, SIGKILL);
      ended_.wait(lock, [this]() { return exit_.has_value(); });
    }
  }
  return *exit_;
}

}  // namespace velmoran_nav2_sim

#include "velmoran_process/subprocess.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace velmoran_process
{
namespace
{

std::vector<char *> pointersTo(std::vector<std::string> & texts)
{
  std::vector<char *> pointers;
  pointers.reserve(texts.size() + 1);
  for (auto & text : texts) {
    pointers.push_back(text.data());
  }
  pointers.push_back(nullptr);
  return pointers;
}

std::vector<std::string> childEnvironment(
  const std::map<std::string, std::optional<std::string>> & changes)
{
  std::vector<std::string> environment;
  for (char ** variable = environ; *variable != nullptr; ++variable) {
    const std::string entry(*variable);
    if (changes.count(entry.substr(0, entry.find('='))) == 0) {
      environment.push_back(entry);
    }
  }
  for (const auto & [name, value] : changes) {
    if (value) {
      environment.push_back(name + "=" + *value);
    }
  }
  return environment;
}

/// In the child, between fork and exec: async-signal-safe calls only, as the parent may have
/// other threads that held locks at the fork.
void prepareChild(const Subprocess::Options & options, pid_t parent)
{
  if (options.standard_input >= 0) {
    dup2(options.standard_input, STDIN_FILENO);
  }
  if (options.standard_output >= 0) {
    dup2(options.standard_output, STDOUT_FILENO);
  }
  if (options.standard_error >= 0) {
    dup2(options.standard_error, STDERR_FILENO);
  }
  if (options.own_process_group) {
    setpgid(0, 0);
  }
  if (options.parent_death_signal != 0) {
    prctl(PR_SET_PDEATHSIG, options.parent_death_signal);
    // The parent may have died before the request was made.
    if (getppid() != parent) {
      _exit(127);
    }
  }
  if (!options.core_dump) {
    const rlimit no_core{0, 0};
    setrlimit(RLIMIT_CORE, &no_core);
  }
  // A blocked mask and ignored signals survive exec.
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
}

}  // namespace

Subprocess::Subprocess(
  const std::string & program, const std::vector<std::string> & arguments, const Options & options)
{
  // Built before fork: the child may not allocate.
  std::vector<std::string> argv_text{program};
  argv_text.insert(argv_text.end(), arguments.begin(), arguments.end());
  const std::vector<char *> argv = pointersTo(argv_text);
  std::vector<std::string> environment_text = childEnvironment(options.environment);
  const std::vector<char *> envp = pointersTo(environment_text);

  // The child writes its errno here when exec fails; a successful exec closes it empty.
  int exec_error[2];
  if (pipe2(exec_error, O_CLOEXEC) != 0) {
    throw std::runtime_error("cannot start " + program + ": pipe: " + std::strerror(errno));
  }
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ < 0) {
    const int error = errno;
    close(exec_error[0]);
    close(exec_error[1]);
    throw std::runtime_error("cannot start " + program + ": fork: " + std::strerror(error));
  }
  if (pid_ == 0) {
    close(exec_error[0]);
    prepareChild(options, parent);
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
    wait();
    throw std::runtime_error("cannot start " + program + ": " + std::strerror(error));
  }
}

Subprocess::~Subprocess()
{
  if (signal(SIGKILL)) {
    wait();
  }
}

bool Subprocess::signal(int number)
{
  std::lock_guard<std::mutex> lock(mutex_);
  return !exit_ && kill(pid_, number) == 0;
}

ProcessExit Subprocess::wait()
{
  // Waits without reaping: until exit_ is set the process id stays this child's, so signal() on
  // another thread cannot hit a process that took the number over.
  siginfo_t info{};
  while (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
  }
  std::lock_guard<std::mutex> lock(mutex_);
  reap(0);
  return *exit_;
}

std::optional<ProcessExit> Subprocess::poll()
{
  std::lock_guard<std::mutex> lock(mutex_);
  reap(WNOHANG);
  return exit_;
}

void Subprocess::reap(int options)
{
  if (exit_) {
    return;
  }
  int status = 0;
  pid_t result = -1;
  while ((result = waitpid(pid_, &status, options)) < 0 && errno == EINTR) {
  }
  if (result == pid_) {
    exit_ = ProcessExit::fromWaitStatus(status);
  } else if (result < 0) {
    // Reaped elsewhere (SIGCHLD ignored, or a waitpid(-1) in another part of this process).
    exit_ = ProcessExit{};
  }
}

}  // namespace velmoran_process

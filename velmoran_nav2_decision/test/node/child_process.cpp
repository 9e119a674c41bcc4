#include "child_process.hpp"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

namespace velmoran::test
{

ChildProcess::ChildProcess(
  const std::string & program, const std::vector<std::string> & arguments,
  const std::map<std::string, std::string> & environment)
{
  int output_fds[2];
  int input_fds[2];
  if (pipe2(output_fds, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  if (pipe2(input_fds, O_CLOEXEC) != 0) {
    close(output_fds[0]);
    close(output_fds[1]);
    throw std::runtime_error("pipe failed");
  }
  velmoran_process::Subprocess::Options options;
  options.environment.insert(environment.begin(), environment.end());
  options.standard_input = input_fds[0];
  options.standard_output = output_fds[1];
  options.standard_error = output_fds[1];
  // Crashes under test must not leave core files behind.
  options.core_dump = false;
  try {
    process_.emplace(program, arguments, options);
  } catch (...) {
    for (const int fd : {output_fds[0], output_fds[1], input_fds[0], input_fds[1]}) {
      close(fd);
    }
    throw;
  }
  close(output_fds[1]);
  close(input_fds[0]);
  input_fd_ = input_fds[1];
  reader_ = std::thread([this, fd = output_fds[0]] { collectOutput(fd); });
}

ChildProcess::~ChildProcess()
{
  if (!waitForExit(std::chrono::milliseconds(0))) {
    process_->signal(SIGKILL);
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

void ChildProcess::sendSignal(int signal_number) { process_->signal(signal_number); }

bool ChildProcess::waitForIdleMainThread(std::chrono::milliseconds timeout)
{
  // /proc/<pid>/syscall starts with the number of the system call the main thread is blocked in.
  constexpr long kFutex = 202;
  constexpr long kEpollWait = 232;
  constexpr long kPpoll = 271;
  constexpr long kEpollPwait = 281;
  const std::string path = "/proc/" + std::to_string(process_->pid()) + "/syscall";
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
  // The end of the output (the pipe closes when the process and its threads are gone) is the
  // event to wait for; the process is then only reaped.
  bool closed = false;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    closed = changed_.wait_for(lock, timeout, [this] { return output_closed_; });
  }
  if (closed) {
    return process_->wait();
  }
  return process_->poll();
}

}  // namespace velmoran::test

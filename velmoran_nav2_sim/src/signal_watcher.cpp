#include "velmoran_nav2_sim/signal_watcher.hpp"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <stdexcept>
#include <utility>

namespace velmoran_nav2_sim
{

SignalWatcher::SignalWatcher(std::function<void(int)> on_signal) : on_signal_(std::move(on_signal))
{
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  if (pthread_sigmask(SIG_BLOCK, &signals, &previous_mask_) != 0) {
    throw std::runtime_error("cannot block SIGINT and SIGTERM");
  }
  signal_fd_ = signalfd(-1, &signals, SFD_CLOEXEC);
  stop_fd_ = eventfd(0, EFD_CLOEXEC);
  if (signal_fd_ < 0 || stop_fd_ < 0) {
    if (signal_fd_ >= 0) {
      close(signal_fd_);
    }
    if (stop_fd_ >= 0) {
      close(stop_fd_);
    }
    pthread_sigmask(SIG_SETMASK, &previous_mask_, nullptr);
    throw std::runtime_error("cannot watch SIGINT and SIGTERM");
  }
  thread_ = std::thread([this]() { watch(); });
}

SignalWatcher::~SignalWatcher()
{
  const std::uint64_t one = 1;
  const ssize_t written = write(stop_fd_, &one, sizeof(one));
  (void)written;
  thread_.join();
  close(signal_fd_);
  close(stop_fd_);
  pthread_sigmask(SIG_SETMASK, &previous_mask_, nullptr);
}

void SignalWatcher::watch()
{
  std::array<pollfd, 2> fds{{{signal_fd_, POLLIN, 0}, {stop_fd_, POLLIN, 0}}};
  while (true) {
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      return;
    }
    if (fds[1].revents != 0) {
      return;
    }
    signalfd_siginfo info{};
    if (read(signal_fd_, &info, sizeof(info)) == static_cast<ssize_t>(sizeof(info))) {
      on_signal_(static_cast<int>(info.ssi_signo));
    }
  }
}

}  // namespace velmoran_nav2_sim

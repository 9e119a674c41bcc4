#include "velmoran_planner_cli/command_wait.hpp"

#include <csignal>

namespace velmoran_planner
{
namespace
{

sigset_t takenSignals()
{
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  // Sent by the destructor to end the signal thread.
  sigaddset(&signals, SIGUSR2);
  return signals;
}

}  // namespace

CommandWait::CommandWait()
{
  const sigset_t signals = takenSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  signal_thread_ = std::thread([this] { takeSignals(); });
}

CommandWait::~CommandWait()
{
  closing_ = true;
  pthread_kill(signal_thread_.native_handle(), SIGUSR2);
  signal_thread_.join();
}

void CommandWait::takeSignals()
{
  const sigset_t signals = takenSignals();
  while (!closing_) {
    int signal_number = 0;
    if (sigwait(&signals, &signal_number) != 0 || signal_number == SIGUSR2) {
      continue;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      interrupted_ = true;
    }
    changed_.notify_all();
  }
}

bool CommandWait::waitUntil(const std::function<bool()> & done, Clock::time_point deadline)
{
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_until(lock, deadline, [&] { return interrupted_ || done(); }) &&
         !interrupted_ && done();
}

bool CommandWait::waitThroughInterruption(
  const std::function<bool()> & done, Clock::time_point deadline)
{
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_until(lock, deadline, done);
}

}  // namespace velmoran_planner

#include "velmoran_nav2_sim/node_process.hpp"

#include <signal.h>

#include <utility>

namespace velmoran_nav2_sim
{
namespace
{

velmoran_process::Subprocess::Options childOptions(
  const std::map<std::string, std::string> & environment)
{
  velmoran_process::Subprocess::Options options;
  options.environment.insert(environment.begin(), environment.end());
  options.own_process_group = true;
  options.parent_death_signal = SIGTERM;
  return options;
}

}  // namespace

NodeProcess::NodeProcess(
  const std::string & program, const std::vector<std::string> & arguments,
  const std::map<std::string, std::string> & environment, std::function<void(const Exit &)> on_exit)
: on_exit_(std::move(on_exit)), process_(program, arguments, childOptions(environment))
{
  watcher_ = std::thread([this]() { watch(); });
}

NodeProcess::~NodeProcess()
{
  stop();
  watcher_.join();
}

void NodeProcess::watch()
{
  const Exit result = process_.wait();
  {
    std::lock_guard<std::mutex> lock(mutex_);
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
    process_.signal(SIGINT);
    if (!ended_.wait_for(lock, grace, [this]() { return exit_.has_value(); })) {
      process_.signal(SIGKILL);
      ended_.wait(lock, [this]() { return exit_.has_value(); });
    }
  }
  return *exit_;
}

}  // namespace velmoran_nav2_sim

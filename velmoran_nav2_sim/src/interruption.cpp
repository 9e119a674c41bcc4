#include "velmoran_nav2_sim/interruption.hpp"

#include <csignal>
#include <utility>

namespace velmoran_nav2_sim
{

void Interruption::request(int signal)
{
  std::lock_guard<std::mutex> lock(mutex_);
  if (signal_ != 0) {
    return;
  }
  signal_ = signal;
  if (handler_) {
    handler_();
  }
}

int Interruption::signal() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return signal_;
}

void Interruption::setHandler(std::function<void()> handler)
{
  std::lock_guard<std::mutex> lock(mutex_);
  handler_ = std::move(handler);
  if (signal_ != 0 && handler_) {
    handler_();
  }
}

void Interruption::clearHandler()
{
  std::lock_guard<std::mutex> lock(mutex_);
  handler_ = nullptr;
}

std::string Interruption::signalName(int signal)
{
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    default:
      return "signal " + std::to_string(signal);
  }
}

}  // namespace velmoran_nav2_sim

#include "rclcpp/detail/service_queue.hpp"

#include <utility>

namespace rclcpp
{
namespace detail
{

void ServiceQueue::push(ServiceMessage message)
{
  {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back(std::move(message));
  }
  notifier_.notify();
}

bool ServiceQueue::pop(ServiceMessage & message)
{
  std::lock_guard<std::mutex> lock(mutex_);
  if (messages_.empty()) {
    return false;
  }
  message = std::move(messages_.front());
  messages_.pop_front();
  return true;
}

bool ServiceQueue::empty() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return messages_.empty();
}

}  // namespace detail
}  // namespace rclcpp

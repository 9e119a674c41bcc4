#include "rclcpp/detail/message_queue.hpp"

#include <utility>

namespace rclcpp
{
namespace detail
{

MessageQueue::MessageQueue(size_t depth) : depth_(depth) {}

void MessageQueue::push(std::shared_ptr<const void> message)
{
  {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back(std::move(message));
    if (depth_ > 0 && messages_.size() > depth_) {
      messages_.pop_front();
    }
  }
  notifier_.notify();
}

std::shared_ptr<const void> MessageQueue::pop()
{
  std::lock_guard<std::mutex> lock(mutex_);
  if (messages_.empty()) {
    return nullptr;
  }
  auto message = std::move(messages_.front());
  messages_.pop_front();
  return message;
}

bool MessageQueue::empty() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return messages_.empty();
}

size_t MessageQueue::size() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return messages_.size();
}

}  // namespace detail
}  // namespace rclcpp

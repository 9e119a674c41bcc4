#ifndef RCLCPP__DETAIL__MESSAGE_QUEUE_HPP_
#define RCLCPP__DETAIL__MESSAGE_QUEUE_HPP_

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>

#include "rclcpp/detail/ready_notifier.hpp"

namespace rclcpp
{
namespace detail
{

/// The inbox of one subscription: type-erased messages waiting for the executor. A bounded
/// queue (keep last) drops its oldest message when full.
class MessageQueue
{
public:
  /// `depth` 0 means unbounded (keep all).
  explicit MessageQueue(size_t depth);

  void push(std::shared_ptr<const void> message);
  std::shared_ptr<const void> pop();
  bool empty() const;
  size_t size() const;

  ReadyNotifier & notifier() { return notifier_; }

private:
  mutable std::mutex mutex_;
  std::deque<std::shared_ptr<const void>> messages_;
  const size_t depth_;
  ReadyNotifier notifier_;
};

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__MESSAGE_QUEUE_HPP_

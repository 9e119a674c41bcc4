#ifndef RCLCPP__DETAIL__READY_NOTIFIER_HPP_
#define RCLCPP__DETAIL__READY_NOTIFIER_HPP_

#include <memory>
#include <mutex>

namespace rclcpp
{

class CallbackGroup;

namespace detail
{

/// Lets an entity tell the executor serving its callback group that it has work.
class ReadyNotifier
{
public:
  void attach(std::weak_ptr<CallbackGroup> group);
  void notify() const;

private:
  mutable std::mutex mutex_;
  std::weak_ptr<CallbackGroup> group_;
};

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__READY_NOTIFIER_HPP_

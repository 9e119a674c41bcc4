#include "rclcpp/detail/ready_notifier.hpp"

#include "rclcpp/callback_group.hpp"

namespace rclcpp
{
namespace detail
{

void ReadyNotifier::attach(std::weak_ptr<CallbackGroup> group)
{
  std::lock_guard<std::mutex> lock(mutex_);
  group_ = std::move(group);
}

void ReadyNotifier::notify() const
{
  std::shared_ptr<CallbackGroup> group;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    group = group_.lock();
  }
  if (group) {
    group->trigger_notify_guard_condition();
  }
}

}  // namespace detail
}  // namespace rclcpp

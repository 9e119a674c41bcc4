#include "rclcpp/detail/ready_notifier.hpp"

#include "rclcpp/callback_group.hpp"
#include "rclcpp/guard_condition.hpp"

namespace rclcpp
{
namespace detail
{

void ReadyNotifier::attach(std::weak_ptr<CallbackGroup> group)
{
  std::lock_guard<std::mutex> lock(mutex_);
  group_ = std::move(group);
  guard_condition_.reset();
}

void ReadyNotifier::attach(std::weak_ptr<GuardCondition> guard_condition)
{
  std::lock_guard<std::mutex> lock(mutex_);
  guard_condition_ = std::move(guard_condition);
  group_.reset();
}

void ReadyNotifier::notify() const
{
  std::shared_ptr<CallbackGroup> group;
  std::shared_ptr<GuardCondition> guard_condition;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    group = group_.lock();
    guard_condition = guard_condition_.lock();
  }
  if (group) {
    group->trigger_notify_guard_condition();
  }
  if (guard_condition) {
    guard_condition->trigger();
  }
}

}  // namespace detail
}  // namespace rclcpp

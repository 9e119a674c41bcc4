#ifndef RCLCPP__DETAIL__READY_NOTIFIER_HPP_
#define RCLCPP__DETAIL__READY_NOTIFIER_HPP_

#include <memory>
#include <mutex>

namespace rclcpp
{

class CallbackGroup;
class GuardCondition;

namespace detail
{

/// Lets an entity tell the executor that it has work: through the callback group the entity is
/// in, or, for an entity inside a waitable, through a guard condition of the waitable.
class ReadyNotifier
{
public:
  void attach(std::weak_ptr<CallbackGroup> group);
  void attach(std::weak_ptr<GuardCondition> guard_condition);
  void notify() const;

private:
  mutable std::mutex mutex_;
  std::weak_ptr<CallbackGroup> group_;
  std::weak_ptr<GuardCondition> guard_condition_;
};

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__READY_NOTIFIER_HPP_

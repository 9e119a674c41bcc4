#ifndef RCLCPP__WAITABLE_HPP_
#define RCLCPP__WAITABLE_HPP_

#include <atomic>
#include <memory>

#include "rclcpp/detail/ready_notifier.hpp"
#include "rclcpp/macros.hpp"

namespace rclcpp
{

class CallbackGroup;

/// Work of its own kind that an executor runs in a callback group (actions use it).
///
/// Protocol: when new work arrives, the waitable records it and calls notify_ready(). The
/// executor serving the waitable's callback group then calls is_ready(); when true, it calls
/// take_data() while selecting work and later execute() with that data on the thread that runs
/// callbacks of the group (never concurrently with other callbacks of a mutually exclusive
/// group). is_ready() and take_data() must not block.
class Waitable
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS_NOT_COPYABLE(Waitable)

  virtual ~Waitable() = default;

  virtual bool is_ready() = 0;
  virtual std::shared_ptr<void> take_data() = 0;
  virtual void execute(std::shared_ptr<void> & data) = 0;

  /// Wakes the executor serving this waitable's callback group.
  void notify_ready() const { notifier_.notify(); }

  bool exchange_in_use_by_wait_set_state(bool in_use_state)
  {
    return in_use_by_wait_set_.exchange(in_use_state);
  }

  /// Called by the node's waitables interface when the waitable joins a callback group.
  void attach_to_callback_group(std::weak_ptr<rclcpp::CallbackGroup> group)
  {
    notifier_.attach(std::move(group));
    notifier_.notify();
  }

private:
  detail::ReadyNotifier notifier_;
  std::atomic<bool> in_use_by_wait_set_{false};
};

}  // namespace rclcpp

#endif  // RCLCPP__WAITABLE_HPP_

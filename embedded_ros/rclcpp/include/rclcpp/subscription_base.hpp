#ifndef RCLCPP__SUBSCRIPTION_BASE_HPP_
#define RCLCPP__SUBSCRIPTION_BASE_HPP_

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "rclcpp/detail/message_queue.hpp"
#include "rclcpp/macros.hpp"
#include "rclcpp/qos.hpp"
#include "rosidl_runtime_c/message_type_support_struct.h"

namespace rclcpp
{

class CallbackGroup;

namespace node_interfaces
{
class NodeBaseInterface;
}  // namespace node_interfaces

/// The type-independent part of a subscription: its endpoint and its inbox of messages waiting
/// for the executor (bounded by the QoS history depth).
class SubscriptionBase : public std::enable_shared_from_this<SubscriptionBase>
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS_NOT_COPYABLE(SubscriptionBase)

  SubscriptionBase(
    rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & topic_name,
    const std::string & type_name, const rclcpp::QoS & qos, bool ignore_local_publications,
    const rosidl_message_type_support_t * type_support = nullptr);
  virtual ~SubscriptionBase();

  const char * get_topic_name() const;
  rclcpp::QoS get_actual_qos() const;
  size_t get_publisher_count() const;
  bool exchange_in_use_by_wait_set_state(bool in_use_state);

  /// True when a message waits in the inbox.
  bool has_message() const;
  /// Removes the oldest waiting message; null when none.
  std::shared_ptr<const void> take_type_erased_message();
  /// Runs the user callback with a message taken from the inbox.
  virtual void handle_type_erased_message(const std::shared_ptr<const void> & message) = 0;

  /// Lets the executor serving `group` be woken when a message arrives.
  void attach_to_callback_group(std::weak_ptr<rclcpp::CallbackGroup> group);
  /// For an entity inside a waitable: arriving work triggers the waitable's guard condition.
  void attach_to_guard_condition(std::weak_ptr<rclcpp::GuardCondition> guard_condition);

private:
  RCLCPP_DISABLE_COPY(SubscriptionBase)

  std::string topic_name_;
  rclcpp::QoS qos_;
  std::shared_ptr<detail::MessageQueue> inbox_;
  uint64_t id_;
  std::atomic<bool> in_use_by_wait_set_{false};
};

}  // namespace rclcpp

#endif  // RCLCPP__SUBSCRIPTION_BASE_HPP_

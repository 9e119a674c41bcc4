#include "rclcpp/subscription_base.hpp"

#include <utility>

#include "rclcpp/detail/context_check.hpp"
#include "rclcpp/detail/domain.hpp"
#include "rclcpp/node_interfaces/node_base_interface.hpp"

namespace rclcpp
{

namespace
{

/// Inbox bound: the history depth for keep-last (at least 1), none for keep-all.
size_t inbox_depth(const rclcpp::QoS & qos)
{
  if (qos.history() == rclcpp::HistoryPolicy::KeepAll) {
    return 0;
  }
  return qos.depth() == 0 ? 1 : qos.depth();
}

}  // namespace

SubscriptionBase::SubscriptionBase(
  rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & topic_name,
  const std::string & type_name, const rclcpp::QoS & qos, bool ignore_local_publications,
  const rosidl_message_type_support_t * type_support)
: topic_name_(node_base->resolve_topic_or_service_name(topic_name, false)),
  qos_(qos),
  inbox_(std::make_shared<detail::MessageQueue>(inbox_depth(qos)))
{
  detail::check_node_context_valid(*node_base, "could not create subscription");
  detail::EndpointInfo info;
  info.name = topic_name_;
  info.type = type_name;
  info.qos = qos.get_rmw_qos_profile();
  info.node_id = reinterpret_cast<uintptr_t>(node_base);
  info.ignore_local_publications = ignore_local_publications;
  info.type_support = type_support;
  id_ = detail::Domain::global().add_subscription(info, inbox_);
}

SubscriptionBase::~SubscriptionBase() { detail::Domain::global().remove_subscription(id_); }

const char * SubscriptionBase::get_topic_name() const { return topic_name_.c_str(); }

rclcpp::QoS SubscriptionBase::get_actual_qos() const { return qos_; }

size_t SubscriptionBase::get_publisher_count() const
{
  return detail::Domain::global().matched_publishers(id_);
}

bool SubscriptionBase::exchange_in_use_by_wait_set_state(bool in_use_state)
{
  return in_use_by_wait_set_.exchange(in_use_state);
}

bool SubscriptionBase::has_message() const { return !inbox_->empty(); }

std::shared_ptr<const void> SubscriptionBase::take_type_erased_message() { return inbox_->pop(); }

void SubscriptionBase::attach_to_callback_group(std::weak_ptr<rclcpp::CallbackGroup> group)
{
  inbox_->notifier().attach(std::move(group));
  inbox_->notifier().notify();
}

void SubscriptionBase::attach_to_guard_condition(
  std::weak_ptr<rclcpp::GuardCondition> guard_condition)
{
  inbox_->notifier().attach(std::move(guard_condition));
  inbox_->notifier().notify();
}

}  // namespace rclcpp

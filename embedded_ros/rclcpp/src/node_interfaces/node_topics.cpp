#include "rclcpp/node_interfaces/node_topics.hpp"

#include "node_interfaces/node_group_helper.hpp"

namespace rclcpp
{
namespace node_interfaces
{

NodeTopics::NodeTopics(
  rclcpp::node_interfaces::NodeBaseInterface * node_base,
  rclcpp::node_interfaces::NodeTimersInterface * node_timers)
: node_base_(node_base), node_timers_(node_timers)
{
}

rclcpp::PublisherBase::SharedPtr NodeTopics::create_publisher(
  const std::string & topic_name, const rclcpp::PublisherFactory & publisher_factory,
  const rclcpp::QoS & qos)
{
  return publisher_factory.create_typed_publisher(node_base_, topic_name, qos);
}

void NodeTopics::add_publisher(
  rclcpp::PublisherBase::SharedPtr publisher, rclcpp::CallbackGroup::SharedPtr callback_group)
{
  auto group = group_for(node_base_, callback_group, "publisher");
  group->add_publisher(publisher);
}

rclcpp::SubscriptionBase::SharedPtr NodeTopics::create_subscription(
  const std::string & topic_name, const rclcpp::SubscriptionFactory & subscription_factory,
  const rclcpp::QoS & qos)
{
  return subscription_factory.create_typed_subscription(node_base_, topic_name, qos);
}

void NodeTopics::add_subscription(
  rclcpp::SubscriptionBase::SharedPtr subscription, rclcpp::CallbackGroup::SharedPtr callback_group)
{
  auto group = group_for(node_base_, callback_group, "subscription");
  group->add_subscription(subscription);
  subscription->attach_to_callback_group(group);
}

rclcpp::node_interfaces::NodeBaseInterface * NodeTopics::get_node_base_interface() const
{
  return node_base_;
}

rclcpp::node_interfaces::NodeTimersInterface * NodeTopics::get_node_timers_interface() const
{
  return node_timers_;
}

std::string NodeTopics::resolve_topic_name(const std::string & name, bool only_expand) const
{
  return node_base_->resolve_topic_or_service_name(name, false, only_expand);
}

}  // namespace node_interfaces
}  // namespace rclcpp

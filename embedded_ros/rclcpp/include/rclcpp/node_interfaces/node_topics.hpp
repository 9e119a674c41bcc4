#ifndef RCLCPP__NODE_INTERFACES__NODE_TOPICS_HPP_
#define RCLCPP__NODE_INTERFACES__NODE_TOPICS_HPP_

#include <string>

#include "rclcpp/node_interfaces/node_topics_interface.hpp"

namespace rclcpp
{
namespace node_interfaces
{

class NodeTopics : public NodeTopicsInterface
{
public:
  RCLCPP_SMART_PTR_ALIASES_ONLY(NodeTopics)

  NodeTopics(
    rclcpp::node_interfaces::NodeBaseInterface * node_base,
    rclcpp::node_interfaces::NodeTimersInterface * node_timers);

  rclcpp::PublisherBase::SharedPtr create_publisher(
    const std::string & topic_name, const rclcpp::PublisherFactory & publisher_factory,
    const rclcpp::QoS & qos) override;
  void add_publisher(
    rclcpp::PublisherBase::SharedPtr publisher,
    rclcpp::CallbackGroup::SharedPtr callback_group) override;
  rclcpp::SubscriptionBase::SharedPtr create_subscription(
    const std::string & topic_name, const rclcpp::SubscriptionFactory & subscription_factory,
    const rclcpp::QoS & qos) override;
  void add_subscription(
    rclcpp::SubscriptionBase::SharedPtr subscription,
    rclcpp::CallbackGroup::SharedPtr callback_group) override;

  rclcpp::node_interfaces::NodeBaseInterface * get_node_base_interface() const override;
  rclcpp::node_interfaces::NodeTimersInterface * get_node_timers_interface() const override;
  std::string resolve_topic_name(const std::string & name, bool only_expand = false) const override;

private:
  rclcpp::node_interfaces::NodeBaseInterface * node_base_;
  rclcpp::node_interfaces::NodeTimersInterface * node_timers_;
};

}  // namespace node_interfaces
}  // namespace rclcpp

#endif  // RCLCPP__NODE_INTERFACES__NODE_TOPICS_HPP_

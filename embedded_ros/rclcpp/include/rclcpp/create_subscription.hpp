#ifndef RCLCPP__CREATE_SUBSCRIPTION_HPP_
#define RCLCPP__CREATE_SUBSCRIPTION_HPP_

#include <memory>
#include <string>
#include <utility>

#include "rclcpp/node_interfaces/get_node_interfaces.hpp"
#include "rclcpp/subscription.hpp"
#include "rclcpp/subscription_factory.hpp"

namespace rclcpp
{

/// Creates a subscription through a node's topics interface (node object, pointer or interface).
template <
  typename MessageT, typename CallbackT, typename AllocatorT = std::allocator<void>,
  typename SubscriptionT = rclcpp::Subscription<MessageT, AllocatorT>, typename NodeT>
std::shared_ptr<SubscriptionT> create_subscription(
  NodeT && node, const std::string & topic_name, const rclcpp::QoS & qos, CallbackT && callback,
  const rclcpp::SubscriptionOptionsWithAllocator<AllocatorT> & options =
    (rclcpp::SubscriptionOptionsWithAllocator<AllocatorT>()))
{
  auto node_topics = rclcpp::node_interfaces::get_node_topics_interface(std::forward<NodeT>(node));
  auto factory =
    rclcpp::create_subscription_factory<MessageT, CallbackT, AllocatorT, SubscriptionT>(
      std::forward<CallbackT>(callback), options);
  auto subscription = node_topics->create_subscription(topic_name, factory, qos);
  node_topics->add_subscription(subscription, options.callback_group);
  return std::dynamic_pointer_cast<SubscriptionT>(subscription);
}

}  // namespace rclcpp

#endif  // RCLCPP__CREATE_SUBSCRIPTION_HPP_

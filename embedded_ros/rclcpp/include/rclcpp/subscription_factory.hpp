#ifndef RCLCPP__SUBSCRIPTION_FACTORY_HPP_
#define RCLCPP__SUBSCRIPTION_FACTORY_HPP_

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "rclcpp/detail/subscription_callback.hpp"
#include "rclcpp/node_interfaces/node_base_interface.hpp"
#include "rclcpp/qos.hpp"
#include "rclcpp/subscription.hpp"
#include "rclcpp/subscription_options.hpp"

namespace rclcpp
{

/// Creates a typed subscription for the topics interface, which knows no message types.
struct SubscriptionFactory
{
  using SubscriptionFactoryFunction = std::function<rclcpp::SubscriptionBase::SharedPtr(
    rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & topic_name,
    const rclcpp::QoS & qos)>;

  const SubscriptionFactoryFunction create_typed_subscription;
};

template <
  typename MessageT, typename CallbackT, typename AllocatorT,
  typename SubscriptionT = rclcpp::Subscription<MessageT, AllocatorT>>
SubscriptionFactory create_subscription_factory(
  CallbackT && callback, const rclcpp::SubscriptionOptionsWithAllocator<AllocatorT> & options)
{
  auto adapted = detail::make_subscription_callback<MessageT>(std::forward<CallbackT>(callback));
  return SubscriptionFactory{
    [options, adapted](
      rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & topic_name,
      const rclcpp::QoS & qos) -> rclcpp::SubscriptionBase::SharedPtr {
      return std::make_shared<SubscriptionT>(node_base, topic_name, qos, adapted, options);
    }};
}

}  // namespace rclcpp

#endif  // RCLCPP__SUBSCRIPTION_FACTORY_HPP_

#ifndef RCLCPP__SUBSCRIPTION_HPP_
#define RCLCPP__SUBSCRIPTION_HPP_

#include <functional>
#include <memory>
#include <string>

#include "rclcpp/subscription_base.hpp"
#include "rclcpp/subscription_options.hpp"
#include "rosidl_runtime_cpp/traits.hpp"
#include "rosidl_typesupport_introspection_cpp/message_type_support_decl.hpp"

namespace rclcpp
{

/// Receives messages of one type on one topic and runs its callback in the executor that serves
/// its callback group.
template <typename MessageT, typename AllocatorT = std::allocator<void>>
class Subscription : public SubscriptionBase
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS(Subscription)

  using MessageCallback = std::function<void(const std::shared_ptr<const MessageT> &)>;

  Subscription(
    rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & topic_name,
    const rclcpp::QoS & qos, MessageCallback callback,
    const rclcpp::SubscriptionOptionsWithAllocator<AllocatorT> & options)
  : SubscriptionBase(
      node_base, topic_name, rosidl_generator_traits::name<MessageT>(), qos,
      options.ignore_local_publications,
      rosidl_typesupport_introspection_cpp::get_message_type_support_handle<MessageT>()),
    callback_(std::move(callback))
  {
  }

  void handle_type_erased_message(const std::shared_ptr<const void> & message) override
  {
    callback_(std::static_pointer_cast<const MessageT>(message));
  }

private:
  MessageCallback callback_;
};

}  // namespace rclcpp

#endif  // RCLCPP__SUBSCRIPTION_HPP_

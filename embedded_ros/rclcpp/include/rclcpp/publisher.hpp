#ifndef RCLCPP__PUBLISHER_HPP_
#define RCLCPP__PUBLISHER_HPP_

#include <memory>
#include <string>

#include "rclcpp/publisher_base.hpp"
#include "rclcpp/publisher_options.hpp"
#include "rclcpp/qos.hpp"
#include "rosidl_runtime_cpp/traits.hpp"
#include "rosidl_typesupport_introspection_cpp/message_type_support_decl.hpp"

namespace rclcpp
{

/// Publishes messages of one type on one topic. Every matching subscription gets the message;
/// subscriptions share one immutable copy.
template <typename MessageT, typename AllocatorT = std::allocator<void>>
class Publisher : public PublisherBase
{
public:
  using MessageAllocatorTraits = std::allocator_traits<std::allocator<MessageT>>;
  using MessageAllocator = std::allocator<MessageT>;
  using MessageDeleter = std::default_delete<MessageT>;
  using MessageUniquePtr = std::unique_ptr<MessageT, MessageDeleter>;
  using MessageSharedPtr = std::shared_ptr<const MessageT>;

  RCLCPP_SMART_PTR_DEFINITIONS(Publisher<MessageT, AllocatorT>)

  Publisher(
    rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & topic,
    const rclcpp::QoS & qos, const rclcpp::PublisherOptionsWithAllocator<AllocatorT> & options)
  : PublisherBase(
      node_base, topic, rosidl_generator_traits::name<MessageT>(), qos,
      rosidl_typesupport_introspection_cpp::get_message_type_support_handle<MessageT>()),
    options_(options)
  {
  }

  ~Publisher() override = default;

  /// Called once after construction by the node's topics interface.
  virtual void post_init_setup(
    rclcpp::node_interfaces::NodeBaseInterface * /*node_base*/, const std::string & /*topic*/,
    const rclcpp::QoS & /*qos*/,
    const rclcpp::PublisherOptionsWithAllocator<AllocatorT> & /*options*/)
  {
  }

  virtual void publish(std::unique_ptr<MessageT, MessageDeleter> msg)
  {
    if (msg) {
      do_publish(std::shared_ptr<const MessageT>(std::move(msg)));
    }
  }

  virtual void publish(const MessageT & msg) { do_publish(std::make_shared<const MessageT>(msg)); }

  std::shared_ptr<MessageAllocator> get_allocator() const
  {
    return std::make_shared<MessageAllocator>();
  }

protected:
  rclcpp::PublisherOptionsWithAllocator<AllocatorT> options_;
};

}  // namespace rclcpp

#endif  // RCLCPP__PUBLISHER_HPP_

// Fills a tf2_ros::Buffer from "/tf" and "/tf_static".
#ifndef TF2_ROS__TRANSFORM_LISTENER_H_
#define TF2_ROS__TRANSFORM_LISTENER_H_

#include <memory>
#include <string>
#include <utility>

#include <rclcpp/callback_group.hpp>
#include <rclcpp/node.hpp>
#include <rclcpp/node_interfaces/get_node_interfaces.hpp>
#include <rclcpp/subscription.hpp>
#include <tf2_msgs/msg/tf_message.hpp>

#include "tf2_ros/buffer.h"
#include "tf2_ros/qos.hpp"

namespace tf2_ros
{
namespace detail
{
class DedicatedThread;
}  // namespace detail

/// With `spin_thread`, the subscriptions live in a callback group of their own that a
/// dedicated executor thread spins, and the buffer may then be queried with time-outs;
/// otherwise they are in the node's default group, served by whoever spins the node.
class TransformListener
{
public:
  /// Listens through a node of its own.
  explicit TransformListener(tf2_ros::Buffer & buffer, bool spin_thread = true);

  template <class NodeT, class AllocatorT = std::allocator<void>>
  TransformListener(
    tf2_ros::Buffer & buffer, NodeT && node, bool spin_thread = true,
    const rclcpp::QoS & qos = DynamicListenerQoS(),
    const rclcpp::QoS & static_qos = StaticListenerQoS(),
    const rclcpp::SubscriptionOptionsWithAllocator<AllocatorT> & options =
      rclcpp::SubscriptionOptionsWithAllocator<AllocatorT>(),
    const rclcpp::SubscriptionOptionsWithAllocator<AllocatorT> & static_options =
      rclcpp::SubscriptionOptionsWithAllocator<AllocatorT>())
  : TransformListener(
      buffer, rclcpp::node_interfaces::get_node_base_interface(node),
      rclcpp::node_interfaces::get_node_logging_interface(node),
      rclcpp::node_interfaces::get_node_topics_interface(node), spin_thread, qos, static_qos,
      options, static_options)
  {
  }

  virtual ~TransformListener();

  TransformListener(const TransformListener &) = delete;
  TransformListener & operator=(const TransformListener &) = delete;

private:
  TransformListener(
    tf2_ros::Buffer & buffer, rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base,
    rclcpp::node_interfaces::NodeLoggingInterface::SharedPtr node_logging,
    rclcpp::node_interfaces::NodeTopicsInterface::SharedPtr node_topics, bool spin_thread,
    const rclcpp::QoS & qos, const rclcpp::QoS & static_qos,
    const rclcpp::SubscriptionOptions & options,
    const rclcpp::SubscriptionOptions & static_options);

  void init(
    rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base,
    rclcpp::node_interfaces::NodeLoggingInterface::SharedPtr node_logging,
    rclcpp::node_interfaces::NodeTopicsInterface::SharedPtr node_topics, bool spin_thread,
    const rclcpp::QoS & qos, const rclcpp::QoS & static_qos, rclcpp::SubscriptionOptions options,
    rclcpp::SubscriptionOptions static_options);

  void subscription_callback(const tf2_msgs::msg::TFMessage & msg, bool is_static);

  tf2_ros::Buffer & buffer_;
  rclcpp::Node::SharedPtr optional_default_node_;
  rclcpp::node_interfaces::NodeLoggingInterface::SharedPtr node_logging_interface_;
  rclcpp::Subscription<tf2_msgs::msg::TFMessage>::SharedPtr message_subscription_tf_;
  rclcpp::Subscription<tf2_msgs::msg::TFMessage>::SharedPtr message_subscription_tf_static_;
  bool spin_thread_{false};
  rclcpp::CallbackGroup::SharedPtr callback_group_;
  std::unique_ptr<detail::DedicatedThread> dedicated_listener_thread_;
};

}  // namespace tf2_ros

#endif  // TF2_ROS__TRANSFORM_LISTENER_H_

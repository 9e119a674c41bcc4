#include "tf2_ros/transform_listener.h"

#include <cstdio>
#include <string>
#include <vector>

#include <rclcpp/create_subscription.hpp>
#include <rclcpp/logging.hpp>

#include "dedicated_thread.hpp"

namespace tf2_ros
{
namespace
{
rclcpp::Node::SharedPtr make_listener_node(const void * listener)
{
  // A unique name, given as a remapping so that it wins over one from the command line.
  char node_name[42];
  std::snprintf(
    node_name, sizeof(node_name), "transform_listener_impl_%zx",
    reinterpret_cast<size_t>(listener));
  rclcpp::NodeOptions options;
  options.arguments({"--ros-args", "-r", "__node:=" + std::string(node_name)});
  options.start_parameter_event_publisher(false);
  options.start_parameter_services(false);
  return rclcpp::Node::make_shared("_", options);
}

}  // namespace

TransformListener::TransformListener(tf2_ros::Buffer & buffer, bool spin_thread)
: buffer_(buffer), optional_default_node_(make_listener_node(this))
{
  init(
    optional_default_node_->get_node_base_interface(),
    optional_default_node_->get_node_logging_interface(),
    optional_default_node_->get_node_topics_interface(), spin_thread, DynamicListenerQoS(),
    StaticListenerQoS(), rclcpp::SubscriptionOptions(), rclcpp::SubscriptionOptions());
}

TransformListener::TransformListener(
  tf2_ros::Buffer & buffer, rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base,
  rclcpp::node_interfaces::NodeLoggingInterface::SharedPtr node_logging,
  rclcpp::node_interfaces::NodeTopicsInterface::SharedPtr node_topics, bool spin_thread,
  const rclcpp::QoS & qos, const rclcpp::QoS & static_qos,
  const rclcpp::SubscriptionOptions & options, const rclcpp::SubscriptionOptions & static_options)
: buffer_(buffer)
{
  init(
    std::move(node_base), std::move(node_logging), std::move(node_topics), spin_thread, qos,
    static_qos, options, static_options);
}

TransformListener::~TransformListener() = default;

void TransformListener::init(
  rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base,
  rclcpp::node_interfaces::NodeLoggingInterface::SharedPtr node_logging,
  rclcpp::node_interfaces::NodeTopicsInterface::SharedPtr node_topics, bool spin_thread,
  const rclcpp::QoS & qos, const rclcpp::QoS & static_qos, rclcpp::SubscriptionOptions options,
  rclcpp::SubscriptionOptions static_options)
{
  spin_thread_ = spin_thread;
  node_logging_interface_ = node_logging;
  if (spin_thread_) {
    callback_group_ =
      node_base->create_callback_group(rclcpp::CallbackGroupType::MutuallyExclusive, false);
    options.callback_group = callback_group_;
    static_options.callback_group = callback_group_;
  }
  message_subscription_tf_ = rclcpp::create_subscription<tf2_msgs::msg::TFMessage>(
    node_topics, "/tf", qos,
    [this](const std::shared_ptr<const tf2_msgs::msg::TFMessage> & msg) {
      subscription_callback(*msg, false);
    },
    options);
  message_subscription_tf_static_ = rclcpp::create_subscription<tf2_msgs::msg::TFMessage>(
    node_topics, "/tf_static", static_qos,
    [this](const std::shared_ptr<const tf2_msgs::msg::TFMessage> & msg) {
      subscription_callback(*msg, true);
    },
    static_options);
  if (spin_thread_) {
    dedicated_listener_thread_ =
      std::make_unique<detail::DedicatedThread>(callback_group_, node_base);
    // Look-ups may wait now: this thread keeps filling the buffer meanwhile.
    buffer_.setUsingDedicatedThread(true);
  }
}

void TransformListener::subscription_callback(const tf2_msgs::msg::TFMessage & msg, bool is_static)
{
  const std::string authority = "Authority undetectable";
  for (const auto & transform : msg.transforms) {
    try {
      buffer_.setTransform(transform, authority, is_static);
    } catch (const tf2::TransformException & ex) {
      RCLCPP_ERROR(
        node_logging_interface_->get_logger(),
        "Failure to set received transform from %s to %s with error: %s\n",
        transform.child_frame_id.c_str(), transform.header.frame_id.c_str(), ex.what());
    }
  }
}

}  // namespace tf2_ros

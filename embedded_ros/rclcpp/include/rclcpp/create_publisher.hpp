#ifndef RCLCPP__CREATE_PUBLISHER_HPP_
#define RCLCPP__CREATE_PUBLISHER_HPP_

#include <memory>
#include <string>
#include <utility>

#include "rclcpp/node_interfaces/get_node_interfaces.hpp"
#include "rclcpp/publisher.hpp"
#include "rclcpp/publisher_factory.hpp"

namespace rclcpp
{

/// Creates a publisher through a node's topics interface (node object, pointer or interface).
template <
  typename MessageT, typename AllocatorT = std::allocator<void>,
  typename PublisherT = rclcpp::Publisher<MessageT, AllocatorT>, typename NodeT>
std::shared_ptr<PublisherT> create_publisher(
  NodeT && node, const std::string & topic_name, const rclcpp::QoS & qos,
  const rclcpp::PublisherOptionsWithAllocator<AllocatorT> & options =
    (rclcpp::PublisherOptionsWithAllocator<AllocatorT>()))
{
  auto node_topics = rclcpp::node_interfaces::get_node_topics_interface(std::forward<NodeT>(node));
  auto publisher = node_topics->create_publisher(
    topic_name, rclcpp::create_publisher_factory<MessageT, AllocatorT, PublisherT>(options), qos);
  node_topics->add_publisher(publisher, options.callback_group);
  return std::dynamic_pointer_cast<PublisherT>(publisher);
}

}  // namespace rclcpp

#endif  // RCLCPP__CREATE_PUBLISHER_HPP_

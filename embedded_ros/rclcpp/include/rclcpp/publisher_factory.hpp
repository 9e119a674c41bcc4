#ifndef RCLCPP__PUBLISHER_FACTORY_HPP_
#define RCLCPP__PUBLISHER_FACTORY_HPP_

#include <functional>
#include <memory>
#include <string>

#include "rclcpp/node_interfaces/node_base_interface.hpp"
#include "rclcpp/publisher_base.hpp"
#include "rclcpp/publisher_options.hpp"
#include "rclcpp/qos.hpp"

namespace rclcpp
{

/// Creates a typed publisher for the topics interface, which knows no message types.
struct PublisherFactory
{
  using PublisherFactoryFunction = std::function<rclcpp::PublisherBase::SharedPtr(
    rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & topic_name,
    const rclcpp::QoS & qos)>;

  const PublisherFactoryFunction create_typed_publisher;
};

template <typename MessageT, typename AllocatorT, typename PublisherT>
PublisherFactory create_publisher_factory(
  const rclcpp::PublisherOptionsWithAllocator<AllocatorT> & options)
{
  return PublisherFactory{
    [options](
      rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & topic_name,
      const rclcpp::QoS & qos) -> std::shared_ptr<PublisherBase> {
      auto publisher = std::make_shared<PublisherT>(node_base, topic_name, qos, options);
      publisher->post_init_setup(node_base, topic_name, qos, options);
      return publisher;
    }};
}

}  // namespace rclcpp

#endif  // RCLCPP__PUBLISHER_FACTORY_HPP_

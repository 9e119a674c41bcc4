#ifndef RCLCPP_ACTION__CREATE_CLIENT_HPP_
#define RCLCPP_ACTION__CREATE_CLIENT_HPP_

#include <memory>
#include <string>

#include <rcl_action/action_client.h>
#include <rclcpp/node_interfaces/node_base_interface.hpp>
#include <rclcpp/node_interfaces/node_graph_interface.hpp>
#include <rclcpp/node_interfaces/node_logging_interface.hpp>
#include <rclcpp/node_interfaces/node_waitables_interface.hpp>

#include "rclcpp_action/client.hpp"

namespace rclcpp_action
{
/// Creates an action client and adds it to `group` of the node (the default group when null).
/// The client leaves the node when the returned pointer's last copy goes.
template <typename ActionT>
typename Client<ActionT>::SharedPtr create_client(
  rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base_interface,
  rclcpp::node_interfaces::NodeGraphInterface::SharedPtr node_graph_interface,
  rclcpp::node_interfaces::NodeLoggingInterface::SharedPtr node_logging_interface,
  rclcpp::node_interfaces::NodeWaitablesInterface::SharedPtr node_waitables_interface,
  const std::string & name, rclcpp::CallbackGroup::SharedPtr group = nullptr,
  const rcl_action_client_options_t & options = rcl_action_client_get_default_options())
{
  std::weak_ptr<rclcpp::node_interfaces::NodeWaitablesInterface> weak_node =
    node_waitables_interface;
  std::weak_ptr<rclcpp::CallbackGroup> weak_group = group;
  const bool group_is_null = (nullptr == group.get());

  auto deleter = [weak_node, weak_group, group_is_null](Client<ActionT> * ptr) {
    if (nullptr == ptr) {
      return;
    }
    auto shared_node = weak_node.lock();
    if (shared_node) {
      // The interface wants a shared pointer; give it one that does not own the client.
      std::shared_ptr<Client<ActionT>> fake_shared_ptr(ptr, [](Client<ActionT> *) {});
      if (group_is_null) {
        shared_node->remove_waitable(fake_shared_ptr, nullptr);
      } else if (auto shared_group = weak_group.lock()) {
        shared_node->remove_waitable(fake_shared_ptr, shared_group);
      }
    }
    delete ptr;
  };

  std::shared_ptr<Client<ActionT>> action_client(
    new Client<ActionT>(
      node_base_interface, node_graph_interface, node_logging_interface, name, options),
    deleter);

  node_waitables_interface->add_waitable(action_client, group);
  return action_client;
}

template <typename ActionT, typename NodeT>
typename Client<ActionT>::SharedPtr create_client(
  NodeT node, const std::string & name, rclcpp::CallbackGroup::SharedPtr group = nullptr,
  const rcl_action_client_options_t & options = rcl_action_client_get_default_options())
{
  return create_client<ActionT>(
    node->get_node_base_interface(), node->get_node_graph_interface(),
    node->get_node_logging_interface(), node->get_node_waitables_interface(), name, group, options);
}

}  // namespace rclcpp_action

#endif  // RCLCPP_ACTION__CREATE_CLIENT_HPP_

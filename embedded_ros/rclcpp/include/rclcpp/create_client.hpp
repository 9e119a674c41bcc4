#ifndef RCLCPP__CREATE_CLIENT_HPP_
#define RCLCPP__CREATE_CLIENT_HPP_

#include <memory>
#include <string>

#include "rclcpp/client.hpp"
#include "rclcpp/node_interfaces/node_base_interface.hpp"
#include "rclcpp/node_interfaces/node_graph_interface.hpp"
#include "rclcpp/node_interfaces/node_services_interface.hpp"
#include "rclcpp/qos.hpp"
#include "rmw/qos_profiles.h"

namespace rclcpp
{

template <typename ServiceT>
typename rclcpp::Client<ServiceT>::SharedPtr create_client(
  std::shared_ptr<node_interfaces::NodeBaseInterface> node_base,
  std::shared_ptr<node_interfaces::NodeGraphInterface> node_graph,
  std::shared_ptr<node_interfaces::NodeServicesInterface> node_services,
  const std::string & service_name,
  const rmw_qos_profile_t & qos_profile = rmw_qos_profile_services_default,
  rclcpp::CallbackGroup::SharedPtr group = nullptr)
{
  auto client = std::make_shared<rclcpp::Client<ServiceT>>(
    node_base.get(), node_graph, service_name,
    rclcpp::QoS(rclcpp::QoSInitialization::from_rmw(qos_profile), qos_profile));
  node_services->add_client(client, group);
  return client;
}

}  // namespace rclcpp

#endif  // RCLCPP__CREATE_CLIENT_HPP_

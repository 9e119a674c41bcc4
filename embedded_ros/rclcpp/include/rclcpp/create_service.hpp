#ifndef RCLCPP__CREATE_SERVICE_HPP_
#define RCLCPP__CREATE_SERVICE_HPP_

#include <memory>
#include <string>
#include <utility>

#include "rclcpp/node_interfaces/node_base_interface.hpp"
#include "rclcpp/node_interfaces/node_services_interface.hpp"
#include "rclcpp/qos.hpp"
#include "rclcpp/service.hpp"
#include "rmw/qos_profiles.h"

namespace rclcpp
{

template <typename ServiceT, typename CallbackT>
typename rclcpp::Service<ServiceT>::SharedPtr create_service(
  std::shared_ptr<node_interfaces::NodeBaseInterface> node_base,
  std::shared_ptr<node_interfaces::NodeServicesInterface> node_services,
  const std::string & service_name, CallbackT && callback, const rmw_qos_profile_t & qos_profile,
  rclcpp::CallbackGroup::SharedPtr group)
{
  auto service = std::make_shared<rclcpp::Service<ServiceT>>(
    node_base.get(), service_name,
    rclcpp::Service<ServiceT>::adapt_callback(std::forward<CallbackT>(callback)),
    rclcpp::QoS(rclcpp::QoSInitialization::from_rmw(qos_profile), qos_profile));
  node_services->add_service(service, group);
  return service;
}

}  // namespace rclcpp

#endif  // RCLCPP__CREATE_SERVICE_HPP_

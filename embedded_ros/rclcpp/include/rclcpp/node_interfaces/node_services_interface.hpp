#ifndef RCLCPP__NODE_INTERFACES__NODE_SERVICES_INTERFACE_HPP_
#define RCLCPP__NODE_INTERFACES__NODE_SERVICES_INTERFACE_HPP_

#include <string>

#include "rclcpp/callback_group.hpp"
#include "rclcpp/client.hpp"
#include "rclcpp/macros.hpp"
#include "rclcpp/service.hpp"

namespace rclcpp
{
namespace node_interfaces
{

class NodeServicesInterface
{
public:
  RCLCPP_SMART_PTR_ALIASES_ONLY(NodeServicesInterface)

  virtual ~NodeServicesInterface() = default;
  /// Adds the client to `group` (the node's default group when null).
  virtual void add_client(
    rclcpp::ClientBase::SharedPtr client_base_ptr, rclcpp::CallbackGroup::SharedPtr group) = 0;
  virtual void add_service(
    rclcpp::ServiceBase::SharedPtr service_base_ptr, rclcpp::CallbackGroup::SharedPtr group) = 0;
  virtual std::string resolve_service_name(
    const std::string & name, bool only_expand = false) const = 0;
};

}  // namespace node_interfaces
}  // namespace rclcpp

#endif  // RCLCPP__NODE_INTERFACES__NODE_SERVICES_INTERFACE_HPP_

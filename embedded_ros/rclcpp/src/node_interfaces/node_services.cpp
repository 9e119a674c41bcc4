#include "rclcpp/node_interfaces/node_services.hpp"

#include "node_interfaces/node_group_helper.hpp"

namespace rclcpp
{
namespace node_interfaces
{

NodeServices::NodeServices(rclcpp::node_interfaces::NodeBaseInterface * node_base)
: node_base_(node_base)
{
}

void NodeServices::add_client(
  rclcpp::ClientBase::SharedPtr client_base_ptr, rclcpp::CallbackGroup::SharedPtr group)
{
  auto target = group_for(node_base_, group, "client");
  target->add_client(client_base_ptr);
  client_base_ptr->attach_to_callback_group(target);
}

void NodeServices::add_service(
  rclcpp::ServiceBase::SharedPtr service_base_ptr, rclcpp::CallbackGroup::SharedPtr group)
{
  auto target = group_for(node_base_, group, "service");
  target->add_service(service_base_ptr);
  service_base_ptr->attach_to_callback_group(target);
}

std::string NodeServices::resolve_service_name(const std::string & name, bool only_expand) const
{
  return node_base_->resolve_topic_or_service_name(name, true, only_expand);
}

}  // namespace node_interfaces
}  // namespace rclcpp

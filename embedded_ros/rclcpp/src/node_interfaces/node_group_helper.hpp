#ifndef NODE_INTERFACES__NODE_GROUP_HELPER_HPP_
#define NODE_INTERFACES__NODE_GROUP_HELPER_HPP_

#include <string>

#include "rclcpp/exceptions.hpp"
#include "rclcpp/node_interfaces/node_base_interface.hpp"

namespace rclcpp
{
namespace node_interfaces
{

/// The group an entity joins: the given one, which must belong to the node, or the default.
inline rclcpp::CallbackGroup::SharedPtr group_for(
  NodeBaseInterface * node_base, rclcpp::CallbackGroup::SharedPtr group,
  const std::string & entity_type)
{
  if (!group) {
    return node_base->get_default_callback_group();
  }
  if (!node_base->callback_group_in_node(group)) {
    throw rclcpp::exceptions::MissingGroupNodeException(entity_type);
  }
  return group;
}

}  // namespace node_interfaces
}  // namespace rclcpp

#endif  // NODE_INTERFACES__NODE_GROUP_HELPER_HPP_

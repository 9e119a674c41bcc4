#include "rclcpp/executors.hpp"

namespace rclcpp
{

namespace
{

rclcpp::ExecutorOptions options_for(
  const rclcpp::node_interfaces::NodeBaseInterface::SharedPtr & node_ptr)
{
  rclcpp::ExecutorOptions options;
  options.context = node_ptr->get_context();
  return options;
}

}  // namespace

void spin(rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_ptr)
{
  rclcpp::executors::SingleThreadedExecutor exec(options_for(node_ptr));
  exec.add_node(node_ptr);
  exec.spin();
  exec.remove_node(node_ptr);
}

void spin(rclcpp::Node::SharedPtr node_ptr) { rclcpp::spin(node_ptr->get_node_base_interface()); }

void spin_some(rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_ptr)
{
  rclcpp::executors::SingleThreadedExecutor exec(options_for(node_ptr));
  exec.spin_node_some(node_ptr);
}

void spin_some(rclcpp::Node::SharedPtr node_ptr)
{
  rclcpp::spin_some(node_ptr->get_node_base_interface());
}

}  // namespace rclcpp

#include <memory>

#include <nav2_msgs/action/navigate_to_pose.hpp>
#include <rclcpp/rclcpp.hpp>

#include "velmoran_nav2_base_class/velmoran_simple_action_server.hpp"

int main(int argc, char ** argv)
{
  rclcpp::init(argc, argv);
  auto node = std::make_shared<rclcpp::Node>("server_host");
  nav2_util::VelmoranSimpleActionServer<nav2_msgs::action::NavigateToPose> server(
    node->get_node_base_interface(), node->get_node_clock_interface(),
    node->get_node_logging_interface(), node->get_node_waitables_interface(), "navigate_to_pose",
    [] {}, nullptr, true, rcl_action_server_get_default_options());
  server.activate();
  rclcpp::spin(node);
  rclcpp::shutdown();
  return 0;
}

#include <memory>

#include <rclcpp/rclcpp.hpp>

#include "nav_decision.hpp"

int main(int argc, char ** argv)
{
  rclcpp::init(argc, argv);
  auto node = std::make_shared<bt_navigator::NavDecision>();
  node->init();
  rclcpp::spin(node->get_node_base_interface());
  rclcpp::shutdown();
  return 0;
}

// The other process of the DDS topic tests: republishes every PoseStamped it receives on one
// topic on another, with the same QoS, until its standard input is closed.
// Usage: dds_echo_peer <from> <to> <reliable|best_effort> <volatile|transient_local>

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "geometry_msgs/msg/pose_stamped.hpp"
#include "rclcpp/rclcpp.hpp"

int main(int argc, char ** argv)
{
  if (argc != 5) {
    std::fprintf(
      stderr, "usage: %s <from> <to> <reliable|best_effort> <volatile|transient_local>\n", argv[0]);
    return 2;
  }
  rclcpp::init(1, argv);
  rclcpp::QoS qos(100);
  if (std::string(argv[3]) == "best_effort") {
    qos.best_effort();
  }
  if (std::string(argv[4]) == "transient_local") {
    qos.transient_local();
  }
  auto node = std::make_shared<rclcpp::Node>("dds_echo_peer");
  auto publisher = node->create_publisher<geometry_msgs::msg::PoseStamped>(argv[2], qos);
  auto subscription = node->create_subscription<geometry_msgs::msg::PoseStamped>(
    argv[1], qos, [&publisher](geometry_msgs::msg::PoseStamped::ConstSharedPtr message) {
      publisher->publish(*message);
    });
  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(node);
  std::thread stop([&executor]() {
    char byte = 0;
    while (read(STDIN_FILENO, &byte, 1) > 0) {
    }
    executor.cancel();
  });
  executor.spin();
  stop.join();
  rclcpp::shutdown();
  return 0;
}

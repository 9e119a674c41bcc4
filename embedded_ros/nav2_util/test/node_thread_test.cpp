// NodeThread spins what it is given on its own thread and stops it on destruction.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include <nav2_util/node_thread.hpp>
#include <rclcpp/rclcpp.hpp>
#include <std_msgs/msg/int32.hpp>

namespace
{
class NodeThreadTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { rclcpp::init(0, nullptr); }
  static void TearDownTestSuite() { rclcpp::shutdown(); }
};

TEST_F(NodeThreadTest, SpinsTheNodeOnAnotherThread)
{
  auto node = std::make_shared<rclcpp::Node>("node_thread_test");
  std::promise<std::thread::id> received_on;
  auto subscription = node->create_subscription<std_msgs::msg::Int32>(
    "numbers", 10, [&received_on](const std_msgs::msg::Int32 & message) {
      if (message.data == 42) {
        received_on.set_value(std::this_thread::get_id());
      }
    });
  auto publisher = node->create_publisher<std_msgs::msg::Int32>("numbers", 10);

  nav2_util::NodeThread thread(node);
  std_msgs::msg::Int32 message;
  message.data = 42;
  publisher->publish(message);

  auto future = received_on.get_future();
  ASSERT_EQ(future.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_NE(future.get(), std::this_thread::get_id());
}

TEST_F(NodeThreadTest, SpinsAnExecutorWithAGroupTheNodeDoesNotServe)
{
  auto node = std::make_shared<rclcpp::Node>("node_thread_group_test");
  auto group = node->create_callback_group(rclcpp::CallbackGroupType::MutuallyExclusive, false);
  std::promise<void> fired;
  std::atomic<bool> once{false};
  auto timer = node->create_wall_timer(
    std::chrono::milliseconds(1),
    [&] {
      if (!once.exchange(true)) {
        fired.set_value();
      }
    },
    group);

  auto executor = std::make_shared<rclcpp::executors::SingleThreadedExecutor>();
  executor->add_callback_group(group, node->get_node_base_interface());
  nav2_util::NodeThread thread(executor);
  EXPECT_EQ(fired.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
}

TEST_F(NodeThreadTest, DestructionRightAfterConstructionReturns)
{
  auto node = std::make_shared<rclcpp::Node>("node_thread_quick_test");
  for (int i = 0; i < 20; ++i) {
    nav2_util::NodeThread thread(node->get_node_base_interface());
  }
  auto executor = std::make_shared<rclcpp::executors::SingleThreadedExecutor>();
  for (int i = 0; i < 20; ++i) {
    nav2_util::NodeThread thread(executor);
  }
}

}  // namespace

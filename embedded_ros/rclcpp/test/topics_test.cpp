#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "rclcpp/rclcpp.hpp"
#include "ros_fixture.hpp"
#include "std_msgs/msg/int32.hpp"
#include "std_msgs/msg/string.hpp"

namespace
{

using std_msgs::msg::Int32;

Int32 make_int(int value)
{
  Int32 message;
  message.data = value;
  return message;
}

class TopicsTest : public RosTest
{
};

TEST_F(TopicsTest, MessageReachesSubscriptionSpunInAnotherThread)
{
  auto talker = std::make_shared<rclcpp::Node>("talker");
  auto listener = std::make_shared<rclcpp::Node>("listener");
  Event received;
  std::vector<int> values;
  std::thread::id callback_thread;
  auto subscription =
    listener->create_subscription<Int32>("numbers", 10, [&](const Int32 & message) {
      received.notify([&] {
        values.push_back(message.data);
        callback_thread = std::this_thread::get_id();
      });
    });
  auto publisher = talker->create_publisher<Int32>("numbers", 10);
  EXPECT_EQ(publisher->get_subscription_count(), 1u);
  EXPECT_EQ(subscription->get_publisher_count(), 1u);

  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(listener);
  std::thread spinner([&executor] { executor.spin(); });
  publisher->publish(make_int(1));
  publisher->publish(std::make_unique<Int32>(make_int(2)));
  EXPECT_TRUE(received.wait_for([&] { return values.size() == 2; }));
  executor.cancel();
  spinner.join();
  EXPECT_EQ(values, (std::vector<int>{1, 2}));
  EXPECT_NE(callback_thread, std::this_thread::get_id());
}

TEST_F(TopicsTest, AllCallbackSignaturesReceiveTheMessage)
{
  auto node = std::make_shared<rclcpp::Node>("node");
  int const_ref = 0, shared_const = 0, unique = 0;
  auto s1 = node->create_subscription<Int32>("t", 10, [&](const Int32 & m) { const_ref = m.data; });
  auto s2 = node->create_subscription<Int32>(
    "t", 10, [&](Int32::ConstSharedPtr m) { shared_const = m->data; });
  auto s3 = node->create_subscription<Int32>("t", 10, [&](Int32::UniquePtr m) {
    m->data += 1;  // a private copy: must not affect the other subscriptions
    unique = m->data;
  });
  node->create_publisher<Int32>("t", 10)->publish(make_int(41));
  rclcpp::spin_some(node);
  EXPECT_EQ(const_ref, 41);
  EXPECT_EQ(shared_const, 41);
  EXPECT_EQ(unique, 42);
}

struct Receiver
{
  std::vector<int> values;
  void on_message(Int32::ConstSharedPtr message) { values.push_back(message->data); }
};

TEST_F(TopicsTest, BoundMemberFunctionCallback)
{
  auto node = std::make_shared<rclcpp::Node>("node");
  Receiver receiver;
  auto subscription = node->create_subscription<Int32>(
    "bound", 10, std::bind(&Receiver::on_message, &receiver, std::placeholders::_1));
  node->create_publisher<Int32>("bound", 10)->publish(make_int(5));
  rclcpp::spin_some(node);
  EXPECT_EQ(receiver.values, (std::vector<int>{5}));
}

TEST_F(TopicsTest, LaggingSubscriptionKeepsNewestDepthMessages)
{
  auto node = std::make_shared<rclcpp::Node>("node");
  std::vector<int> values;
  auto subscription = node->create_subscription<Int32>(
    "burst", rclcpp::QoS(rclcpp::KeepLast(3)), [&](const Int32 & m) { values.push_back(m.data); });
  auto publisher = node->create_publisher<Int32>("burst", 10);
  for (int i = 0; i < 10; ++i) {
    publisher->publish(make_int(i));
  }
  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(node);
  executor.spin_all(std::chrono::seconds(1));
  EXPECT_EQ(values, (std::vector<int>{7, 8, 9}));
}

TEST_F(TopicsTest, SpinSomeTakesOneMessagePerSubscription)
{
  auto node = std::make_shared<rclcpp::Node>("node");
  int count = 0;
  auto subscription = node->create_subscription<Int32>("some", 10, [&](const Int32 &) { ++count; });
  auto publisher = node->create_publisher<Int32>("some", 10);
  publisher->publish(make_int(1));
  publisher->publish(make_int(2));
  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(node);
  executor.spin_some();
  EXPECT_EQ(count, 1);
  executor.spin_some();
  EXPECT_EQ(count, 2);
}

TEST_F(TopicsTest, TransientLocalReplaysToLateJoiners)
{
  auto node = std::make_shared<rclcpp::Node>("node");
  auto latched = rclcpp::QoS(rclcpp::KeepLast(2)).transient_local().reliable();
  auto publisher = node->create_publisher<Int32>("static", latched);
  for (int i = 1; i <= 3; ++i) {
    publisher->publish(make_int(i));
  }
  std::vector<int> late, volatile_late;
  auto late_subscription = node->create_subscription<Int32>(
    "static", latched, [&](const Int32 & m) { late.push_back(m.data); });
  auto volatile_subscription = node->create_subscription<Int32>(
    "static", 10, [&](const Int32 & m) { volatile_late.push_back(m.data); });
  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(node);
  executor.spin_all(std::chrono::seconds(1));
  EXPECT_EQ(late, (std::vector<int>{2, 3}));
  EXPECT_TRUE(volatile_late.empty());
}

TEST_F(TopicsTest, IncompatibleQosOrTypeDoesNotConnect)
{
  auto node = std::make_shared<rclcpp::Node>("node");
  auto publisher = node->create_publisher<Int32>("qos", rclcpp::QoS(10).best_effort());
  auto reliable =
    node->create_subscription<Int32>("qos", rclcpp::QoS(10).reliable(), [](const Int32 &) {});
  auto best_effort =
    node->create_subscription<Int32>("qos", rclcpp::SensorDataQoS(), [](const Int32 &) {});
  auto other_type = node->create_subscription<std_msgs::msg::String>(
    "qos", rclcpp::SensorDataQoS(), [](const std_msgs::msg::String &) {});
  EXPECT_EQ(publisher->get_subscription_count(), 1u);
  EXPECT_EQ(node->count_subscribers("qos"), 3u);
}

TEST_F(TopicsTest, DestroyedSubscriptionStopsReceiving)
{
  auto node = std::make_shared<rclcpp::Node>("node");
  int count = 0;
  auto subscription = node->create_subscription<Int32>("gone", 10, [&](const Int32 &) { ++count; });
  auto publisher = node->create_publisher<Int32>("gone", 10);
  publisher->publish(make_int(1));
  subscription.reset();
  publisher->publish(make_int(2));
  rclcpp::spin_some(node);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(publisher->get_subscription_count(), 0u);
}

}  // namespace

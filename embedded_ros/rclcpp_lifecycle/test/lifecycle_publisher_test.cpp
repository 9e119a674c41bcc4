// Lifecycle publishers follow their node's activation; the rest of the node is an rclcpp node.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <rclcpp/rclcpp.hpp>
#include <rclcpp_lifecycle/lifecycle_node.hpp>
#include <std_msgs/msg/int32.hpp>

#include "log_capture.hpp"

namespace
{
using CallbackReturn = rclcpp_lifecycle::node_interfaces::LifecycleNodeInterface::CallbackReturn;

class LifecyclePublisherTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { rclcpp::init(0, nullptr); }
  static void TearDownTestSuite() { rclcpp::shutdown(); }

  void SetUp() override
  {
    node_ = std::make_shared<rclcpp_lifecycle::LifecycleNode>("publishing_node");
    publisher_ = node_->create_publisher<std_msgs::msg::Int32>("numbers", 10);
    listener_ = std::make_shared<rclcpp::Node>("listening_node");
    subscription_ = listener_->create_subscription<std_msgs::msg::Int32>(
      "numbers", 10,
      [this](const std_msgs::msg::Int32 & message) { received_.push_back(message.data); });
    executor_.add_node(listener_);
  }

  /// Publishes `value` and reports whether the subscription received it.
  bool delivered(int32_t value)
  {
    std_msgs::msg::Int32 message;
    message.data = value;
    publisher_->publish(message);
    executor_.spin_some();
    return !received_.empty() && received_.back() == value;
  }

  std::shared_ptr<rclcpp_lifecycle::LifecycleNode> node_;
  rclcpp_lifecycle::LifecyclePublisher<std_msgs::msg::Int32>::SharedPtr publisher_;
  std::shared_ptr<rclcpp::Node> listener_;
  rclcpp::Subscription<std_msgs::msg::Int32>::SharedPtr subscription_;
  std::vector<int32_t> received_;
  rclcpp::executors::SingleThreadedExecutor executor_;
};

TEST_F(LifecyclePublisherTest, PublishesOnlyWhileActive)
{
  LogCapture log;
  EXPECT_FALSE(publisher_->is_activated());
  EXPECT_FALSE(delivered(1));
  EXPECT_FALSE(delivered(2));
  const auto warnings = log.lines_of("LifecyclePublisher");
  ASSERT_EQ(warnings.size(), 1u);  // once until the next deactivation
  EXPECT_EQ(warnings[0].severity, RCUTILS_LOG_SEVERITY_WARN);
  EXPECT_EQ(
    warnings[0].message,
    "Trying to publish message on the topic '/numbers', but the publisher is not activated");

  node_->configure();
  node_->activate();
  EXPECT_TRUE(publisher_->is_activated());
  EXPECT_TRUE(delivered(3));

  node_->deactivate();
  EXPECT_FALSE(delivered(4));
  EXPECT_EQ(log.lines_of("LifecyclePublisher").size(), 2u);
}

TEST_F(LifecyclePublisherTest, OverriddenActivateWithoutBaseLeavesPublishersInactive)
{
  node_->register_on_activate(
    [](const rclcpp_lifecycle::State &) { return CallbackReturn::SUCCESS; });
  node_->configure();
  node_->activate();
  EXPECT_EQ(node_->get_current_state().label(), "active");
  EXPECT_FALSE(publisher_->is_activated());
}

TEST_F(LifecyclePublisherTest, NodeOffersTheRclcppNodeInterface)
{
  EXPECT_STREQ(node_->get_name(), "publishing_node");
  EXPECT_STREQ(node_->get_namespace(), "/");
  EXPECT_STREQ(node_->get_node_base_interface()->get_fully_qualified_name(), "/publishing_node");
  EXPECT_EQ(node_->declare_parameter("speed", 0.5), 0.5);
  double speed = 0.0;
  EXPECT_TRUE(node_->get_parameter("speed", speed));
  EXPECT_EQ(speed, 0.5);
  EXPECT_THROW(node_->declare_parameter("speed", 1.0), std::exception);
  EXPECT_EQ(node_->shared_from_this(), node_);
  EXPECT_EQ(node_->get_node_base_interface()->get_name(), std::string("publishing_node"));
  EXPECT_EQ(node_->count_publishers("/numbers"), 1u);
  EXPECT_GT(node_->now().nanoseconds(), 0);
}

}  // namespace

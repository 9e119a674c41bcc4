// Transforms travel from broadcasters through "/tf" and "/tf_static" into a listener's buffer.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include <tf2/exceptions.h>
#include <tf2_ros/buffer.h>
#include <tf2_ros/static_transform_broadcaster.h>
#include <tf2_ros/transform_broadcaster.h>
#include <tf2_ros/transform_listener.h>
#include <rclcpp/rclcpp.hpp>

#include "transform_helpers.hpp"

namespace
{
const tf2::Duration kWait = tf2::durationFromSec(5.0);

class ListenerTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { rclcpp::init(0, nullptr); }
  static void TearDownTestSuite() { rclcpp::shutdown(); }

  void SetUp() override
  {
    node_ = std::make_shared<rclcpp::Node>("listener_test");
    buffer_ = std::make_shared<tf2_ros::Buffer>(node_->get_clock());
  }

  std::shared_ptr<rclcpp::Node> node_;
  std::shared_ptr<tf2_ros::Buffer> buffer_;
};

TEST_F(ListenerTest, ListenerThreadReceivesBroadcastTransforms)
{
  tf2_ros::TransformListener listener(*buffer_, node_, true);
  EXPECT_TRUE(buffer_->isUsingDedicatedThread());
  tf2_ros::TransformBroadcaster broadcaster(node_);
  broadcaster.sendTransform(make_transform("map", "odom", 1.0, 0, 0));
  broadcaster.sendTransform(
    {make_transform("odom", "base_link", 0.5, 0, 0),
     make_transform("base_link", "laser", 0, 1, 0)});

  // Nothing spins node_: the listener's own thread delivers.
  const auto transform = buffer_->lookupTransform("map", "laser", tf2::TimePointZero, kWait);
  EXPECT_NEAR(transform.transform.translation.x, 1.5, 1e-9);
  EXPECT_NEAR(transform.transform.translation.y, 1.0, 1e-9);
}

TEST_F(ListenerTest, LateListenerGetsEveryStaticTransform)
{
  tf2_ros::StaticTransformBroadcaster static_broadcaster(node_);
  static_broadcaster.sendTransform(make_transform("base_link", "laser", 0.2, 0, 0));
  static_broadcaster.sendTransform(make_transform("base_link", "camera", 0.3, 0, 0));
  static_broadcaster.sendTransform(make_transform("base_link", "laser", 0.25, 0, 0));

  tf2_ros::TransformListener listener(*buffer_);
  EXPECT_NEAR(
    buffer_->lookupTransform("base_link", "camera", tf2::TimePointZero, kWait)
      .transform.translation.x,
    0.3, 1e-9);
  EXPECT_NEAR(
    buffer_->lookupTransform("base_link", "laser", tf2::TimePointZero, kWait)
      .transform.translation.x,
    0.25, 1e-9);
}

TEST_F(ListenerTest, ListenerWithoutThreadIsServedByTheNodesExecutor)
{
  tf2_ros::TransformListener listener(*buffer_, node_, false);
  EXPECT_FALSE(buffer_->isUsingDedicatedThread());
  tf2_ros::TransformBroadcaster broadcaster(node_);
  broadcaster.sendTransform(make_transform("map", "odom", 2.0, 0, 0));

  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(node_);
  executor.spin_some();
  EXPECT_NEAR(
    buffer_->lookupTransform("map", "odom", tf2::TimePointZero).transform.translation.x, 2.0, 1e-9);
}

TEST_F(ListenerTest, ListenersComeAndGoQuickly)
{
  for (int i = 0; i < 20; ++i) {
    tf2_ros::TransformListener listener(*buffer_, node_, true);
  }
  tf2_ros::TransformListener own_node_listener(*buffer_);
  EXPECT_TRUE(buffer_->isUsingDedicatedThread());
}

}  // namespace

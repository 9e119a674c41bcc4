// The robot pose from the transform tree, and how a failed look-up is reported.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <future>
#include <thread>

#include <tf2/utils.h>
#include <tf2_ros/buffer.h>
#include <nav2_util/robot_utils.hpp>
#include <rclcpp/rclcpp.hpp>

#include "log_capture.hpp"

using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace
{
geometry_msgs::msg::TransformStamped make_transform(
  const std::string & parent, const std::string & child, double x, double y, double yaw,
  int32_t sec = 10)
{
  geometry_msgs::msg::TransformStamped transform;
  transform.header.stamp.sec = sec;
  transform.header.frame_id = parent;
  transform.child_frame_id = child;
  transform.transform.translation.x = x;
  transform.transform.translation.y = y;
  transform.transform.rotation.z = std::sin(yaw / 2);
  transform.transform.rotation.w = std::cos(yaw / 2);
  return transform;
}

class GetCurrentPoseTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { rclcpp::init(0, nullptr); }
  static void TearDownTestSuite() { rclcpp::shutdown(); }

  void SetUp() override
  {
    buffer_ = std::make_shared<tf2_ros::Buffer>(std::make_shared<rclcpp::Clock>());
    buffer_->setUsingDedicatedThread(true);
  }

  std::shared_ptr<tf2_ros::Buffer> buffer_;
  LogCapture log_;
};

TEST_F(GetCurrentPoseTest, ChainsTransformsToTheRobotFrame)
{
  buffer_->setTransform(make_transform("map", "odom", 1.0, 2.0, M_PI / 2), "test");
  buffer_->setTransform(make_transform("odom", "base_link", 1.0, 0.0, 0.0), "test");

  geometry_msgs::msg::PoseStamped pose;
  ASSERT_TRUE(nav2_util::getCurrentPose(pose, *buffer_, "map", "base_link", 0.1));
  EXPECT_EQ(pose.header.frame_id, "map");
  EXPECT_EQ(pose.header.stamp.sec, 10);
  EXPECT_NEAR(pose.pose.position.x, 1.0, 1e-9);
  EXPECT_NEAR(pose.pose.position.y, 3.0, 1e-9);
  EXPECT_NEAR(tf2::getYaw(pose.pose.orientation), M_PI / 2, 1e-9);
  EXPECT_TRUE(log_.lines_of("tf_help").empty());
}

TEST_F(GetCurrentPoseTest, MissingFrameGivesIdentityAndLogsTheLookupError)
{
  geometry_msgs::msg::PoseStamped pose;
  pose.pose.position.x = 5.0;
  EXPECT_FALSE(nav2_util::getCurrentPose(pose, *buffer_, "map", "base_link", 0.01));
  EXPECT_EQ(pose.pose.position.x, 0.0);
  EXPECT_EQ(pose.pose.orientation.w, 1.0);

  const auto lines = log_.lines_of("tf_help");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].severity, RCUTILS_LOG_SEVERITY_ERROR);
  EXPECT_THAT(lines[0].message, StartsWith("No Transform available Error looking up robot pose: "));
  EXPECT_THAT(
    lines[0].message,
    HasSubstr("\"map\" passed to lookupTransform argument target_frame does not exist."));
}

TEST_F(GetCurrentPoseTest, DisconnectedTreesLogConnectivityError)
{
  buffer_->setTransform(make_transform("map", "odom", 0, 0, 0), "test");
  buffer_->setTransform(make_transform("world", "base_link", 0, 0, 0), "test");
  geometry_msgs::msg::PoseStamped pose;
  EXPECT_FALSE(nav2_util::getCurrentPose(pose, *buffer_, "map", "base_link", 0.01));
  const auto lines = log_.lines_of("tf_help");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_THAT(lines[0].message, StartsWith("Connectivity Error looking up robot pose: "));
}

TEST_F(GetCurrentPoseTest, StampOutsideTheBufferLogsExtrapolationError)
{
  buffer_->setTransform(make_transform("map", "base_link", 0, 0, 0, 10), "test");
  buffer_->setTransform(make_transform("map", "base_link", 0, 0, 0, 11), "test");
  geometry_msgs::msg::PoseStamped pose;
  EXPECT_FALSE(
    nav2_util::getCurrentPose(pose, *buffer_, "map", "base_link", 0.01, rclcpp::Time(20, 0)));
  const auto lines = log_.lines_of("tf_help");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_THAT(lines[0].message, StartsWith("Extrapolation Error looking up robot pose: "));
}

TEST_F(GetCurrentPoseTest, TransformArrivingWithinTheTimeoutIsUsed)
{
  auto pose_future = std::async(std::launch::async, [this] {
    geometry_msgs::msg::PoseStamped pose;
    const bool found = nav2_util::getCurrentPose(pose, *buffer_, "map", "base_link", 30.0);
    return std::make_pair(found, pose);
  });
  buffer_->setTransform(make_transform("map", "base_link", 4.0, 0, 0), "test");
  ASSERT_EQ(pose_future.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  const auto result = pose_future.get();
  EXPECT_TRUE(result.first);
  EXPECT_NEAR(result.second.pose.position.x, 4.0, 1e-9);
}

}  // namespace

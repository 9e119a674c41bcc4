// Conversions between tf2 and geometry_msgs, doTransform and Buffer::transform on poses.
#include <gtest/gtest.h>

#include <cmath>

#include <tf2/LinearMath/Quaternion.h>
#include <tf2/LinearMath/Transform.h>
#include <tf2/convert.h>
#include <tf2/utils.h>
#include <tf2_ros/buffer.h>
#include <geometry_msgs/msg/pose_stamped.hpp>
#include <geometry_msgs/msg/pose_with_covariance_stamped.hpp>
#include <rclcpp/rclcpp.hpp>
#include <tf2_geometry_msgs/tf2_geometry_msgs.hpp>

#include "transform_helpers.hpp"

namespace
{
geometry_msgs::msg::Quaternion yaw_quaternion(double yaw)
{
  tf2::Quaternion q;
  q.setRPY(0, 0, yaw);
  return tf2::toMsg(q);
}

TEST(Tf2GeometryMsgs, YawOfMessageAndTf2Quaternions)
{
  EXPECT_NEAR(tf2::getYaw(yaw_quaternion(0.75)), 0.75, 1e-12);
  EXPECT_NEAR(tf2::getYaw(yaw_quaternion(-2.5)), -2.5, 1e-12);
  tf2::Quaternion q;
  q.setRPY(0, 0, 1.25);
  EXPECT_NEAR(tf2::getYaw(q), 1.25, 1e-12);
  // An unnormalised quaternion has the same yaw.
  auto scaled = yaw_quaternion(0.5);
  scaled.z *= 3;
  scaled.w *= 3;
  EXPECT_NEAR(tf2::getYaw(scaled), 0.5, 1e-12);
}

TEST(Tf2GeometryMsgs, PoseAndTransformRoundTrip)
{
  geometry_msgs::msg::Pose pose;
  pose.position.x = 1.5;
  pose.position.y = -2.0;
  pose.position.z = 0.25;
  pose.orientation = yaw_quaternion(0.3);

  tf2::Transform transform;
  tf2::fromMsg(pose, transform);
  EXPECT_DOUBLE_EQ(transform.getOrigin().y(), -2.0);

  geometry_msgs::msg::Pose back;
  tf2::toMsg(transform, back);
  EXPECT_NEAR(back.position.x, 1.5, 1e-12);
  EXPECT_NEAR(tf2::getYaw(back.orientation), 0.3, 1e-12);

  const geometry_msgs::msg::Transform message = tf2::toMsg(transform);
  tf2::Transform again;
  tf2::fromMsg(message, again);
  EXPECT_NEAR(again.getOrigin().z(), 0.25, 1e-12);

  const auto identity = tf2::getTransformIdentity<geometry_msgs::msg::Transform>();
  EXPECT_EQ(identity.rotation.w, 1.0);
  EXPECT_EQ(identity.translation.x, 0.0);
}

TEST(Tf2GeometryMsgs, ConvertBetweenStampedMessageAndTf2)
{
  geometry_msgs::msg::PoseStamped pose;
  pose.header.frame_id = "map";
  pose.header.stamp.sec = 3;
  pose.pose.position.x = 2.0;
  pose.pose.orientation.w = 1.0;

  tf2::Stamped<tf2::Transform> stamped;
  tf2::convert(pose, stamped);
  EXPECT_EQ(stamped.frame_id_, "map");
  EXPECT_EQ(stamped.stamp_, tf2::TimePoint(std::chrono::seconds(3)));
  EXPECT_DOUBLE_EQ(stamped.getOrigin().x(), 2.0);
}

TEST(Tf2GeometryMsgs, DoTransformMovesAndTurnsAPose)
{
  // Robot at (2, 3) facing +y; a pose 1 m ahead of it turned by another quarter.
  const auto robot = make_transform("map", "base_footprint", 2.0, 3.0, M_PI / 2);
  geometry_msgs::msg::PoseStamped relative;
  relative.header.frame_id = "base_footprint";
  relative.pose.position.x = 1.0;
  relative.pose.orientation = yaw_quaternion(M_PI / 2);

  geometry_msgs::msg::PoseStamped in_map;
  tf2::doTransform(relative, in_map, robot);
  EXPECT_EQ(in_map.header.frame_id, "map");
  EXPECT_EQ(in_map.header.stamp.sec, 10);
  EXPECT_NEAR(in_map.pose.position.x, 2.0, 1e-12);
  EXPECT_NEAR(in_map.pose.position.y, 4.0, 1e-12);
  EXPECT_NEAR(std::fabs(tf2::getYaw(in_map.pose.orientation)), M_PI, 1e-9);
}

TEST(Tf2GeometryMsgs, DoTransformRotatesTheCovariance)
{
  const auto quarter_turn = make_transform("map", "base", 0.0, 0.0, M_PI / 2);
  geometry_msgs::msg::PoseWithCovarianceStamped pose;
  pose.pose.pose.orientation.w = 1.0;
  pose.pose.covariance[0] = 4.0;  // x variance
  pose.pose.covariance[7] = 1.0;  // y variance
  geometry_msgs::msg::PoseWithCovarianceStamped rotated;
  tf2::doTransform(pose, rotated, quarter_turn);
  EXPECT_NEAR(rotated.pose.covariance[0], 1.0, 1e-12);
  EXPECT_NEAR(rotated.pose.covariance[7], 4.0, 1e-12);
}

TEST(Tf2GeometryMsgs, BufferTransformsAPoseIntoTheTargetFrame)
{
  rclcpp::init(0, nullptr);
  tf2_ros::Buffer buffer(std::make_shared<rclcpp::Clock>());
  buffer.setTransform(make_transform("map", "odom", 1.0, 1.0, 0.0), "test");

  geometry_msgs::msg::PoseStamped pose;
  pose.header.frame_id = "odom";
  pose.pose.position.x = 2.0;
  pose.pose.orientation.w = 1.0;
  const auto in_map = buffer.transform(pose, "map");
  EXPECT_EQ(in_map.header.frame_id, "map");
  EXPECT_NEAR(in_map.pose.position.x, 3.0, 1e-12);
  EXPECT_NEAR(in_map.pose.position.y, 1.0, 1e-12);

  pose.header.frame_id = "nowhere";
  EXPECT_THROW(buffer.transform(pose, "map"), tf2::LookupException);
  rclcpp::shutdown();
}

}  // namespace

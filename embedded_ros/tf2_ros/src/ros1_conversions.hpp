// Conversions between the ROS 2 types of tf2_ros and the ROS 1 types of Debian's libtf2.
#ifndef TF2_ROS__SRC__ROS1_CONVERSIONS_HPP_
#define TF2_ROS__SRC__ROS1_CONVERSIONS_HPP_

#include <geometry_msgs/TransformStamped.h>
#include <ros/duration.h>
#include <ros/time.h>

#include <tf2/time.h>
#include <geometry_msgs/msg/transform_stamped.hpp>

namespace tf2_ros
{
namespace detail
{
/// Throws tf2::InvalidArgumentException for a time before the epoch, which ROS 1 cannot hold.
ros::Time to_ros1(const tf2::TimePoint & time);
tf2::TimePoint from_ros1(const ros::Time & time);
ros::Duration to_ros1(const tf2::Duration & duration);
tf2::Duration from_ros1(const ros::Duration & duration);

/// Throws tf2::InvalidArgumentException for a negative stamp.
geometry_msgs::TransformStamped to_ros1(const geometry_msgs::msg::TransformStamped & transform);
geometry_msgs::msg::TransformStamped from_ros1(const geometry_msgs::TransformStamped & transform);

}  // namespace detail
}  // namespace tf2_ros

#endif  // TF2_ROS__SRC__ROS1_CONVERSIONS_HPP_

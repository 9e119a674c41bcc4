#include "ros1_conversions.hpp"

#include <string>

#include <tf2/exceptions.h>

namespace tf2_ros
{
namespace detail
{
ros::Time to_ros1(const tf2::TimePoint & time)
{
  const int64_t ns = time.time_since_epoch().count();
  if (ns < 0) {
    throw tf2::InvalidArgumentException("time " + std::to_string(ns) + " ns lies before the epoch");
  }
  ros::Time result;
  result.fromNSec(static_cast<uint64_t>(ns));
  return result;
}

tf2::TimePoint from_ros1(const ros::Time & time)
{
  return tf2::TimePoint(std::chrono::nanoseconds(static_cast<int64_t>(time.toNSec())));
}

ros::Duration to_ros1(const tf2::Duration & duration)
{
  ros::Duration result;
  result.fromNSec(duration.count());
  return result;
}

tf2::Duration from_ros1(const ros::Duration & duration) { return tf2::Duration(duration.toNSec()); }

geometry_msgs::TransformStamped to_ros1(const geometry_msgs::msg::TransformStamped & transform)
{
  if (transform.header.stamp.sec < 0) {
    throw tf2::InvalidArgumentException(
      "transform from " + transform.header.frame_id + " to " + transform.child_frame_id +
      " has a negative stamp");
  }
  geometry_msgs::TransformStamped result;
  result.header.stamp =
    ros::Time(static_cast<uint32_t>(transform.header.stamp.sec), transform.header.stamp.nanosec);
  result.header.frame_id = transform.header.frame_id;
  result.child_frame_id = transform.child_frame_id;
  result.transform.translation.x = transform.transform.translation.x;
  result.transform.translation.y = transform.transform.translation.y;
  result.transform.translation.z = transform.transform.translation.z;
  result.transform.rotation.x = transform.transform.rotation.x;
  result.transform.rotation.y = transform.transform.rotation.y;
  result.transform.rotation.z = transform.transform.rotation.z;
  result.transform.rotation.w = transform.transform.rotation.w;
  return result;
}

geometry_msgs::msg::TransformStamped from_ros1(const geometry_msgs::TransformStamped & transform)
{
  geometry_msgs::msg::TransformStamped result;
  result.header.stamp.sec = static_cast<int32_t>(transform.header.stamp.sec);
  result.header.stamp.nanosec = transform.header.stamp.nsec;
  result.header.frame_id = transform.header.frame_id;
  result.child_frame_id = transform.child_frame_id;
  result.transform.translation.x = transform.transform.translation.x;
  result.transform.translation.y = transform.transform.translation.y;
  result.transform.translation.z = transform.transform.translation.z;
  result.transform.rotation.x = transform.transform.rotation.x;
  result.transform.rotation.y = transform.transform.rotation.y;
  result.transform.rotation.z = transform.transform.rotation.z;
  result.transform.rotation.w = transform.transform.rotation.w;
  return result;
}

}  // namespace detail
}  // namespace tf2_ros

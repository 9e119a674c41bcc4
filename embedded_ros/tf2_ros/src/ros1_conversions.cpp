#include "ros1_conversions.hpp"

#include <string>

#include <tf2/exceptions.h>

namespace tf2_ros
{
namespace detail
{
namespace
{
// The ROS 1 and ROS 2 messages share every field but the stamp.
template <typename From, typename To>
void copyFramesAndTransform(const From & from, To & to)
{
  to.header.frame_id = from.header.frame_id;
  to.child_frame_id = from.child_frame_id;
  to.transform.translation.x = from.transform.translation.x;
  to.transform.translation.y = from.transform.translation.y;
  to.transform.translation.z = from.transform.translation.z;
  to.transform.rotation.x = from.transform.rotation.x;
  to.transform.rotation.y = from.transform.rotation.y;
  to.transform.rotation.z = from.transform.rotation.z;
  to.transform.rotation.w = from.transform.rotation.w;
}
}  // namespace

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
  copyFramesAndTransform(transform, result);
  return result;
}

geometry_msgs::msg::TransformStamped from_ros1(const geometry_msgs::TransformStamped & transform)
{
  geometry_msgs::msg::TransformStamped result;
  result.header.stamp.sec = static_cast<int32_t>(transform.header.stamp.sec);
  result.header.stamp.nanosec = transform.header.stamp.nsec;
  copyFramesAndTransform(transform, result);
  return result;
}

}  // namespace detail
}  // namespace tf2_ros

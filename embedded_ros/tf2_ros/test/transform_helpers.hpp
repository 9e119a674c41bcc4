// Building stamped transforms for the tests.
#ifndef TF2_ROS_TEST__TRANSFORM_HELPERS_HPP_
#define TF2_ROS_TEST__TRANSFORM_HELPERS_HPP_

#include <cmath>
#include <string>

#include <geometry_msgs/msg/transform_stamped.hpp>

inline geometry_msgs::msg::TransformStamped make_transform(
  const std::string & parent, const std::string & child, double x, double y, double yaw,
  int32_t sec = 10, uint32_t nanosec = 0)
{
  geometry_msgs::msg::TransformStamped transform;
  transform.header.stamp.sec = sec;
  transform.header.stamp.nanosec = nanosec;
  transform.header.frame_id = parent;
  transform.child_frame_id = child;
  transform.transform.translation.x = x;
  transform.transform.translation.y = y;
  transform.transform.rotation.z = std::sin(yaw / 2);
  transform.transform.rotation.w = std::cos(yaw / 2);
  return transform;
}

#endif  // TF2_ROS_TEST__TRANSFORM_HELPERS_HPP_

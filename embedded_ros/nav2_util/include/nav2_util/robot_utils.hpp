// The robot's pose from the transform tree.
#ifndef NAV2_UTIL__ROBOT_UTILS_HPP_
#define NAV2_UTIL__ROBOT_UTILS_HPP_

#include <string>

#include <tf2/time.h>
#include <tf2/transform_datatypes.h>
#include <tf2_ros/buffer.h>
#include <geometry_msgs/msg/pose_stamped.hpp>
#include <rclcpp/time.hpp>
#include <tf2_geometry_msgs/tf2_geometry_msgs.hpp>

namespace nav2_util
{
/// Reads the pose of `robot_frame` in `global_frame` at `stamp` (zero: the latest transform),
/// waiting up to `transform_timeout` seconds. On failure the pose is the identity, an error is
/// logged on logger "tf_help" and false is returned.
bool getCurrentPose(
  geometry_msgs::msg::PoseStamped & global_pose, tf2_ros::Buffer & tf_buffer,
  const std::string global_frame = "map", const std::string robot_frame = "base_link",
  const double transform_timeout = 0.1, const rclcpp::Time stamp = rclcpp::Time());

}  // namespace nav2_util

#endif  // NAV2_UTIL__ROBOT_UTILS_HPP_

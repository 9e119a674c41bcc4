#ifndef RCLCPP__VISIBILITY_CONTROL_HPP_
#define RCLCPP__VISIBILITY_CONTROL_HPP_

// The library is linked statically or with default visibility; the markers exist so that code
// written against the ROS 2 headers compiles unchanged.
#define RCLCPP_EXPORT
#define RCLCPP_IMPORT
#define RCLCPP_PUBLIC
#define RCLCPP_LOCAL
#define RCLCPP_PUBLIC_TYPE

#endif  // RCLCPP__VISIBILITY_CONTROL_HPP_

#pragma once

#include <string>
#include <vector>

#include <geometry_msgs/msg/polygon.hpp>
#include <geometry_msgs/msg/pose_stamped.hpp>
#include <geometry_msgs/msg/quaternion.hpp>

#include "velmoran_nav2_sim/geometry.hpp"

namespace velmoran_nav2_sim
{

/// Heading of a rotation about the vertical axis.
double yawOf(const geometry_msgs::msg::Quaternion & orientation);
Pose2D toPose2D(const geometry_msgs::msg::PoseStamped & pose);
geometry_msgs::msg::PoseStamped toPoseStamped(
  const Pose2D & pose, const std::string & frame = "map");
Polygon2D toPolygon2D(const geometry_msgs::msg::Polygon & polygon);
Polygon2D toPolygon2D(const std::vector<geometry_msgs::msg::Point32> & points);
geometry_msgs::msg::Polygon toPolygonMsg(const Polygon2D & polygon);

}  // namespace velmoran_nav2_sim

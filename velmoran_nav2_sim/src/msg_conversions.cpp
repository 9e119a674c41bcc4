#include "velmoran_nav2_sim/msg_conversions.hpp"

#include <cmath>

namespace velmoran_nav2_sim
{

double yawOf(const geometry_msgs::msg::Quaternion & q)
{
  return std::atan2(2.0 * (q.w * q.z + q.x * q.y), 1.0 - 2.0 * (q.y * q.y + q.z * q.z));
}

Pose2D toPose2D(const geometry_msgs::msg::PoseStamped & pose)
{
  return {pose.pose.position.x, pose.pose.position.y, yawOf(pose.pose.orientation)};
}

geometry_msgs::msg::PoseStamped toPoseStamped(const Pose2D & pose, const std::string & frame)
{
  geometry_msgs::msg::PoseStamped stamped;
  stamped.header.frame_id = frame;
  stamped.pose.position.x = pose.x;
  stamped.pose.position.y = pose.y;
  stamped.pose.orientation.z = std::sin(pose.yaw / 2.0);
  stamped.pose.orientation.w = std::cos(pose.yaw / 2.0);
  return stamped;
}

Polygon2D toPolygon2D(const std::vector<geometry_msgs::msg::Point32> & points)
{
  Polygon2D polygon;
  polygon.reserve(points.size());
  for (const auto & point : points) {
    polygon.push_back({point.x, point.y});
  }
  return polygon;
}

Polygon2D toPolygon2D(const geometry_msgs::msg::Polygon & polygon)
{
  return toPolygon2D(polygon.points);
}

geometry_msgs::msg::Polygon toPolygonMsg(const Polygon2D & polygon)
{
  geometry_msgs::msg::Polygon message;
  for (const auto & point : polygon) {
    geometry_msgs::msg::Point32 point32;
    point32.x = static_cast<float>(point.x);
    point32.y = static_cast<float>(point.y);
    message.points.push_back(point32);
  }
  return message;
}

}  // namespace velmoran_nav2_sim

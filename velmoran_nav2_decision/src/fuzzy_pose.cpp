#include "fuzzy_pose.hpp"

#include <cmath>

#include <tf2/LinearMath/Quaternion.h>
#include <tf2/LinearMath/Transform.h>
#include <tf2/LinearMath/Vector3.h>

namespace bt_navigator
{

namespace
{

tf2::Transform toTransform(const geometry_msgs::msg::Pose & pose)
{
  const tf2::Quaternion rotation(
    pose.orientation.x, pose.orientation.y, pose.orientation.z, pose.orientation.w);
  const tf2::Vector3 translation(pose.position.x, pose.position.y, pose.position.z);
  return tf2::Transform(rotation, translation);
}

}  // namespace

FuzzyPose fuzzyPoseAgainstGoal(
  const geometry_msgs::msg::Pose & goal, const geometry_msgs::msg::Pose & robot)
{
  const tf2::Transform relative = toTransform(goal).inverse() * toTransform(robot);
  const tf2::Quaternion rotation = relative.getRotation();

  FuzzyPose result;
  result.pose.position.x = relative.getOrigin().x();
  result.pose.position.y = relative.getOrigin().y();
  result.pose.position.z = 0.0;
  result.pose.orientation.x = rotation.x();
  result.pose.orientation.y = rotation.y();
  result.pose.orientation.z = rotation.z();
  result.pose.orientation.w = rotation.w();
  result.yaw = yawOf(result.pose.orientation);
  return result;
}

double yawOf(const geometry_msgs::msg::Quaternion & q)
{
  const double sqx = q.x * q.x;
  const double sqy = q.y * q.y;
  const double sqz = q.z * q.z;
  const double sqw = q.w * q.w;
  const double sin_pitch = -2.0 * (q.x * q.z - q.w * q.y) / (sqx + sqy + sqz + sqw);
  if (sin_pitch <= -0.99999) {
    return -2.0 * std::atan2(q.y, q.x);
  }
  if (sin_pitch >= 0.99999) {
    return 2.0 * std::atan2(q.y, q.x);
  }
  return std::atan2(2.0 * (q.x * q.y + q.w * q.z), sqw + sqx - sqy - sqz);
}

}  // namespace bt_navigator

#include "relative_pose_converter.hpp"

#include <memory>
#include <stdexcept>

#include <tf2/time.h>
#include <tf2_ros/buffer.h>
#include <rclcpp/rclcpp.hpp>

#include "blackboard_keys.hpp"

namespace bt_navigator
{

namespace
{

KDL::Rotation rotationOf(const geometry_msgs::msg::Quaternion & q)
{
  return KDL::Rotation::Quaternion(q.x, q.y, q.z, q.w);
}

}  // namespace

RelativePoseConverter::RelativePoseConverter(const BT::Blackboard & blackboard)
{
  const auto tf_buffer = keys::get(blackboard, keys::kTfBuffer);
  if (!tf_buffer) {
    throw std::invalid_argument("blackboard entry \"tf_buffer\" holds no transform buffer");
  }
  robot_in_map_ = tf_buffer->lookupTransform("map", "base_footprint", tf2::TimePointZero);
  // The tree's clock is the node's; a job without it cannot run, so fail here as well.
  if (!keys::get(blackboard, keys::kNode)) {
    throw std::invalid_argument("blackboard entry \"node\" holds no node");
  }

  const auto & transform = robot_in_map_.transform;
  rotation_ = rotationOf(transform.rotation);
  translation_ =
    KDL::Vector(transform.translation.x, transform.translation.y, transform.translation.z);
}

geometry_msgs::msg::PoseStamped RelativePoseConverter::toMap(
  const geometry_msgs::msg::Pose & relative) const
{
  const KDL::Vector position =
    rotation_ * KDL::Vector(relative.position.x, relative.position.y, relative.position.z) +
    translation_;
  const KDL::Rotation rotation = rotation_ * rotationOf(relative.orientation);

  geometry_msgs::msg::PoseStamped pose;
  pose.header = robot_in_map_.header;
  pose.pose.position.x = position.x();
  pose.pose.position.y = position.y();
  pose.pose.position.z = position.z();
  rotation.GetQuaternion(
    pose.pose.orientation.x, pose.pose.orientation.y, pose.pose.orientation.z,
    pose.pose.orientation.w);
  return pose;
}

}  // namespace bt_navigator

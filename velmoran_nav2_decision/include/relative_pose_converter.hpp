#pragma once

#include <behaviortree_cpp_v3/blackboard.h>
#include <geometry_msgs/msg/pose.hpp>
#include <geometry_msgs/msg/pose_stamped.hpp>
#include <geometry_msgs/msg/transform_stamped.hpp>
#include <kdl/frames.hpp>

namespace bt_navigator
{

/// Turns targets given in the robot's own frame into "map" poses. The robot's place is looked up
/// once, at construction, so every target of a job is relative to where the robot stood then.
class RelativePoseConverter
{
public:
  /// Looks up "map" <- "base_footprint" through the blackboard's "tf_buffer" and requires its
  /// "node". Raises the blackboard's or tf2's exception when either fails, and
  /// std::invalid_argument when an entry holds a null pointer.
  explicit RelativePoseConverter(const BT::Blackboard & blackboard);

  /// `relative` expressed in "map", stamped with the header of the looked-up transform.
  geometry_msgs::msg::PoseStamped toMap(const geometry_msgs::msg::Pose & relative) const;

private:
  geometry_msgs::msg::TransformStamped robot_in_map_;
  KDL::Rotation rotation_;
  KDL::Vector translation_;
};

}  // namespace bt_navigator

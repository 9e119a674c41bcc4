#pragma once

#include <string>

#include <geometry_msgs/msg/pose_stamped.hpp>

namespace velmoran_tools
{
/// Small utilities shared by the robot's programs.
class BaseRobot
{
public:
  /// Logs the pose at info level on the ROS logger "base_robot", after the prefix:
  /// "<prefix>frame: <frame>, position: (x, y, z), orientation: (x, y, z, w)".
  void printPose(const geometry_msgs::msg::PoseStamped & pose, const std::string & prefix) const;

  /// A new random (version 4) UUID in its 36-character lower-case text form.
  std::string generateUuid() const;
};

}  // namespace velmoran_tools

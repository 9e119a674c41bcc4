#include "velmoran_tools/base_robot.hpp"

#include <uuid/uuid.h>

#include <rclcpp/logging.hpp>

namespace velmoran_tools
{
void BaseRobot::printPose(
  const geometry_msgs::msg::PoseStamped & pose, const std::string & prefix) const
{
  const auto & position = pose.pose.position;
  const auto & orientation = pose.pose.orientation;
  RCLCPP_INFO_STREAM(
    rclcpp::get_logger("base_robot"),
    prefix << "frame: " << pose.header.frame_id << ", position: (" << position.x << ", "
           << position.y << ", " << position.z << "), orientation: (" << orientation.x << ", "
           << orientation.y << ", " << orientation.z << ", " << orientation.w << ")");
}

std::string BaseRobot::generateUuid() const
{
  uuid_t uuid;
  uuid_generate_random(uuid);
  char text[37];
  uuid_unparse_lower(uuid, text);
  return text;
}

}  // namespace velmoran_tools

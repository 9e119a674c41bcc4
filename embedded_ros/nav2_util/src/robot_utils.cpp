#include "nav2_util/robot_utils.hpp"

#include <tf2/exceptions.h>
#include <rclcpp/logging.hpp>

namespace nav2_util
{
bool getCurrentPose(
  geometry_msgs::msg::PoseStamped & global_pose, tf2_ros::Buffer & tf_buffer,
  const std::string global_frame, const std::string robot_frame, const double transform_timeout,
  const rclcpp::Time stamp)
{
  static rclcpp::Logger logger = rclcpp::get_logger("tf_help");
  geometry_msgs::msg::PoseStamped robot_pose;

  tf2::toMsg(tf2::Transform::getIdentity(), global_pose.pose);
  tf2::toMsg(tf2::Transform::getIdentity(), robot_pose.pose);
  robot_pose.header.frame_id = robot_frame;
  robot_pose.header.stamp = stamp;

  try {
    global_pose =
      tf_buffer.transform(robot_pose, global_frame, tf2::durationFromSec(transform_timeout));
    return true;
  } catch (tf2::LookupException & ex) {
    RCLCPP_ERROR(logger, "No Transform available Error looking up robot pose: %s\n", ex.what());
  } catch (tf2::ConnectivityException & ex) {
    RCLCPP_ERROR(logger, "Connectivity Error looking up robot pose: %s\n", ex.what());
  } catch (tf2::ExtrapolationException & ex) {
    RCLCPP_ERROR(logger, "Extrapolation Error looking up robot pose: %s\n", ex.what());
  } catch (tf2::TimeoutException & ex) {
    RCLCPP_ERROR(logger, "Transform timeout with tolerance: %.4f", transform_timeout);
  } catch (...) {
    RCLCPP_ERROR(
      logger, "Failed to transform from %s to %s", global_frame.c_str(), robot_frame.c_str());
  }
  return false;
}

}  // namespace nav2_util

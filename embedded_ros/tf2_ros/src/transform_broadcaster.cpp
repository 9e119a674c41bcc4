#include "tf2_ros/transform_broadcaster.h"

namespace tf2_ros
{
void TransformBroadcaster::sendTransform(const geometry_msgs::msg::TransformStamped & transform)
{
  sendTransform(std::vector<geometry_msgs::msg::TransformStamped>{transform});
}

void TransformBroadcaster::sendTransform(
  const std::vector<geometry_msgs::msg::TransformStamped> & transforms)
{
  auto message = std::make_unique<tf2_msgs::msg::TFMessage>();
  message->transforms = transforms;
  publisher_->publish(std::move(message));
}

}  // namespace tf2_ros

#include "tf2_ros/static_transform_broadcaster.h"

namespace tf2_ros
{
void StaticTransformBroadcaster::sendTransform(
  const geometry_msgs::msg::TransformStamped & transform)
{
  sendTransform(std::vector<geometry_msgs::msg::TransformStamped>{transform});
}

void StaticTransformBroadcaster::sendTransform(
  const std::vector<geometry_msgs::msg::TransformStamped> & transforms)
{
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto & transform : transforms) {
    bool replaced = false;
    for (auto & known : net_message_.transforms) {
      if (known.child_frame_id == transform.child_frame_id) {
        known = transform;
        replaced = true;
        break;
      }
    }
    if (!replaced) {
      net_message_.transforms.push_back(transform);
    }
  }
  publisher_->publish(net_message_);
}

}  // namespace tf2_ros

// Publishes transforms that never change on "/tf_static". Every message carries all transforms
// sent so far (one per child frame), so that late listeners get the whole set.
#ifndef TF2_ROS__STATIC_TRANSFORM_BROADCASTER_H_
#define TF2_ROS__STATIC_TRANSFORM_BROADCASTER_H_

#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include <geometry_msgs/msg/transform_stamped.hpp>
#include <rclcpp/create_publisher.hpp>
#include <rclcpp/publisher.hpp>
#include <tf2_msgs/msg/tf_message.hpp>

#include "tf2_ros/qos.hpp"

namespace tf2_ros
{
class StaticTransformBroadcaster
{
public:
  template <class NodeT, class AllocatorT = std::allocator<void>>
  StaticTransformBroadcaster(
    NodeT && node, const rclcpp::QoS & qos = StaticBroadcasterQoS(),
    const rclcpp::PublisherOptionsWithAllocator<AllocatorT> & options =
      rclcpp::PublisherOptionsWithAllocator<AllocatorT>())
  : publisher_(rclcpp::create_publisher<tf2_msgs::msg::TFMessage>(
      std::forward<NodeT>(node), "/tf_static", qos, options))
  {
  }

  void sendTransform(const geometry_msgs::msg::TransformStamped & transform);
  void sendTransform(const std::vector<geometry_msgs::msg::TransformStamped> & transforms);

private:
  rclcpp::Publisher<tf2_msgs::msg::TFMessage>::SharedPtr publisher_;
  std::mutex mutex_;
  tf2_msgs::msg::TFMessage net_message_;
};

}  // namespace tf2_ros

#endif  // TF2_ROS__STATIC_TRANSFORM_BROADCASTER_H_

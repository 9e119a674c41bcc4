#include "zero_velocity_probe.hpp"

#include <atomic>
#include <chrono>
#include <string>

#include "task_test_support.hpp"

namespace bt_navigator::test
{

namespace
{

constexpr std::chrono::seconds kMarkerTimeout{5};

std::string uniqueNodeName()
{
  static std::atomic<int> probes{0};
  return "zero_velocity_probe_" + std::to_string(probes++);
}

bool isZero(const geometry_msgs::msg::Twist & twist)
{
  return twist == geometry_msgs::msg::Twist();
}

}  // namespace

ZeroVelocityProbe::ZeroVelocityProbe()
{
  node_ = std::make_shared<rclcpp::Node>(uniqueNodeName());
  const auto qos = rclcpp::QoS(100).reliable();
  subscription_ = node_->create_subscription<geometry_msgs::msg::Twist>(
    velmoran_communicator::MicroUnitCmdVel::kTopic, qos,
    [this](geometry_msgs::msg::Twist::ConstSharedPtr twist) { onTwist(*twist); });
  marker_publisher_ = node_->create_publisher<geometry_msgs::msg::Twist>(
    velmoran_communicator::MicroUnitCmdVel::kTopic, qos);
  executor_.add(node_);
  executor_.start();
}

std::shared_ptr<velmoran_communicator::CommunicatorDecision> ZeroVelocityProbe::communicator() const
{
  return velmoran_communicator::CommunicatorDecision::instance();
}

int ZeroVelocityProbe::count()
{
  std::unique_lock<std::mutex> lock(mutex_);
  const int markers_expected = markers_ + 1;
  lock.unlock();
  geometry_msgs::msg::Twist marker;
  marker.linear.x = 1.0;
  marker_publisher_->publish(marker);
  lock.lock();
  if (!received_.wait_for(lock, kMarkerTimeout, [&] { return markers_ >= markers_expected; })) {
    return -1;
  }
  return zero_commands_;
}

void ZeroVelocityProbe::onTwist(const geometry_msgs::msg::Twist & twist)
{
  std::lock_guard<std::mutex> lock(mutex_);
  if (isZero(twist)) {
    ++zero_commands_;
  } else {
    ++markers_;
  }
  received_.notify_all();
}

}  // namespace bt_navigator::test

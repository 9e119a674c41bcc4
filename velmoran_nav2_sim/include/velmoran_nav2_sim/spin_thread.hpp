#pragma once

#include <future>
#include <thread>

#include <rclcpp/rclcpp.hpp>

namespace velmoran_nav2_sim
{

/// Spins nodes on a thread of its own until stopped or destroyed. Stopping works at any moment,
/// also before the thread has begun to spin.
class SpinThread
{
public:
  SpinThread();
  ~SpinThread();
  SpinThread(const SpinThread &) = delete;
  SpinThread & operator=(const SpinThread &) = delete;

  void add(const rclcpp::Node::SharedPtr & node);
  void add(const rclcpp::node_interfaces::NodeBaseInterface::SharedPtr & node);
  /// Ends the spinning and joins the thread; later calls do nothing.
  void stop();

private:
  rclcpp::executors::SingleThreadedExecutor executor_;
  std::promise<void> stop_;
  std::shared_future<void> stopped_;
  std::promise<void> finish_;
  std::future<void> finished_;
  std::thread thread_;
};

}  // namespace velmoran_nav2_sim

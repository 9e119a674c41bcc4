// A thread that spins one callback group on an executor of its own.
#ifndef TF2_ROS__SRC__DEDICATED_THREAD_HPP_
#define TF2_ROS__SRC__DEDICATED_THREAD_HPP_

#include <condition_variable>
#include <mutex>
#include <thread>

#include <rclcpp/callback_group.hpp>
#include <rclcpp/executors/single_threaded_executor.hpp>
#include <rclcpp/node_interfaces/node_base_interface.hpp>

namespace tf2_ros
{
namespace detail
{
/// Stops and joins on destruction, also when the stop comes before spinning began.
class DedicatedThread
{
public:
  DedicatedThread(
    rclcpp::CallbackGroup::SharedPtr group,
    rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base);
  ~DedicatedThread();

  DedicatedThread(const DedicatedThread &) = delete;
  DedicatedThread & operator=(const DedicatedThread &) = delete;

private:
  rclcpp::executors::SingleThreadedExecutor executor_;
  std::mutex mutex_;
  std::condition_variable state_condition_;
  bool started_ = false;
  bool finished_ = false;
  std::thread thread_;
};

}  // namespace detail
}  // namespace tf2_ros

#endif  // TF2_ROS__SRC__DEDICATED_THREAD_HPP_

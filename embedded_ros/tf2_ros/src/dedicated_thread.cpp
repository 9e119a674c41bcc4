#include "dedicated_thread.hpp"

#include <chrono>

namespace tf2_ros
{
namespace detail
{
namespace
{
// spin() does not see a cancel that came before it started; repeat it until the thread ends.
constexpr std::chrono::milliseconds kCancelRepeat{1};
}  // namespace

DedicatedThread::DedicatedThread(
  rclcpp::CallbackGroup::SharedPtr group,
  rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base)
{
  executor_.add_callback_group(group, node_base);
  thread_ = std::thread([this]() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      started_ = true;
    }
    state_condition_.notify_all();
    executor_.spin();
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    state_condition_.notify_all();
  });
}

DedicatedThread::~DedicatedThread()
{
  {
    std::unique_lock<std::mutex> lock(mutex_);
    state_condition_.wait(lock, [this] { return started_; });
    do {
      executor_.cancel();
    } while (!state_condition_.wait_for(lock, kCancelRepeat, [this] { return finished_; }));
  }
  thread_.join();
}

}  // namespace detail
}  // namespace tf2_ros

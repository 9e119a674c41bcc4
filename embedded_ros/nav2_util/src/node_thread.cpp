#include "nav2_util/node_thread.hpp"

#include <chrono>
#include <exception>

#include <rclcpp/logging.hpp>

namespace nav2_util
{
namespace
{
// A cancel that arrives before spin() began is not seen by it; it is repeated at this interval
// until the thread has finished.
constexpr std::chrono::milliseconds kCancelRepeat{1};
}  // namespace

NodeThread::NodeThread(rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base)
: node_(std::move(node_base)),
  executor_(std::make_shared<rclcpp::executors::SingleThreadedExecutor>())
{
  start(true);
}

NodeThread::NodeThread(rclcpp::executors::SingleThreadedExecutor::SharedPtr executor)
: executor_(std::move(executor))
{
  start(false);
}

void NodeThread::start(bool add_node)
{
  thread_ = std::make_unique<std::thread>([this, add_node]() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      started_ = true;
    }
    state_condition_.notify_all();
    if (add_node) {
      executor_->add_node(node_);
    }
    try {
      executor_->spin();
    } catch (const std::exception & e) {
      RCLCPP_ERROR(rclcpp::get_logger("nav2_util"), "NodeThread could not spin: %s", e.what());
    }
    if (add_node) {
      executor_->remove_node(node_);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    state_condition_.notify_all();
  });
}

NodeThread::~NodeThread()
{
  {
    std::unique_lock<std::mutex> lock(mutex_);
    state_condition_.wait(lock, [this] { return started_; });
    do {
      executor_->cancel();
    } while (!state_condition_.wait_for(lock, kCancelRepeat, [this] { return finished_; }));
  }
  thread_->join();
}

}  // namespace nav2_util

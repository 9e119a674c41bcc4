#pragma once

#include <chrono>
#include <future>
#include <thread>

#include <rclcpp/rclcpp.hpp>

namespace bt_navigator::test
{

/// Spins nodes on a thread of its own from construction to destruction.
class BackgroundExecutor
{
public:
  BackgroundExecutor() = default;
  ~BackgroundExecutor() { stop(); }
  BackgroundExecutor(const BackgroundExecutor &) = delete;
  BackgroundExecutor & operator=(const BackgroundExecutor &) = delete;

  void add(const rclcpp::Node::SharedPtr & node) { executor_.add_node(node); }

  void start()
  {
    auto finished = std::make_shared<std::promise<void>>();
    finished_ = finished->get_future();
    spinner_ = std::thread([this, finished] {
      executor_.spin();
      finished->set_value();
    });
  }

  void stop()
  {
    if (!spinner_.joinable()) {
      return;
    }
    // A cancel that comes before spin() has started is lost; repeat it until spin() returns.
    do {
      executor_.cancel();
    } while (finished_.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready);
    spinner_.join();
  }

private:
  rclcpp::executors::SingleThreadedExecutor executor_;
  std::thread spinner_;
  std::future<void> finished_;
};

}  // namespace bt_navigator::test

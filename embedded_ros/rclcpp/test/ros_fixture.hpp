#ifndef ROS_FIXTURE_HPP_
#define ROS_FIXTURE_HPP_

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "rclcpp/rclcpp.hpp"

/// Initialises ROS for each test and shuts it down afterwards. Initialised on construction, not in
/// SetUp: the executors and nodes that derived fixtures hold as members need a valid context.
class RosTest : public ::testing::Test
{
protected:
  RosTest() { rclcpp::init(0, nullptr); }
  void TearDown() override { rclcpp::shutdown(); }
};

/// A condition that tests wait for with a time-out instead of sleeping.
class Event
{
public:
  void notify(std::function<void()> update = nullptr)
  {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (update) {
        update();
      }
    }
    condition_.notify_all();
  }

  bool wait_for(
    std::function<bool()> predicate, std::chrono::milliseconds timeout = std::chrono::seconds(5))
  {
    std::unique_lock<std::mutex> lock(mutex_);
    return condition_.wait_for(lock, timeout, predicate);
  }

private:
  std::mutex mutex_;
  std::condition_variable condition_;
};

#endif  // ROS_FIXTURE_HPP_

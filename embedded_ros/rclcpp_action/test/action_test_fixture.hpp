// Nodes spun on a background executor, and the Fibonacci action helpers the tests share.
#ifndef RCLCPP_ACTION_TEST__ACTION_TEST_FIXTURE_HPP_
#define RCLCPP_ACTION_TEST__ACTION_TEST_FIXTURE_HPP_

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <example_interfaces/action/fibonacci.hpp>
#include <rclcpp/rclcpp.hpp>
#include <rclcpp_action/rclcpp_action.hpp>

using Fibonacci = example_interfaces::action::Fibonacci;
using ServerGoalHandle = rclcpp_action::ServerGoalHandle<Fibonacci>;
using ClientGoalHandle = rclcpp_action::ClientGoalHandle<Fibonacci>;

constexpr std::chrono::seconds kWaitLimit{5};

/// Runs an executor on a thread of its own until destroyed.
class SpinThread
{
public:
  explicit SpinThread(rclcpp::Executor::SharedPtr executor);
  ~SpinThread();

private:
  rclcpp::Executor::SharedPtr executor_;
  std::mutex mutex_;
  std::condition_variable state_condition_;
  bool started_ = false;
  bool finished_ = false;
  std::thread thread_;
};

/// Values handed from a callback thread to the test, in order.
template <typename T>
class Mailbox
{
public:
  void put(T value)
  {
    // Notified under the lock: a waiter that returns may destroy the mailbox at once.
    std::lock_guard<std::mutex> lock(mutex_);
    values_.push_back(std::move(value));
    condition_.notify_all();
  }

  /// Waits until `count` values have arrived; false after kWaitLimit.
  bool wait_for_count(size_t count)
  {
    std::unique_lock<std::mutex> lock(mutex_);
    return condition_.wait_for(lock, kWaitLimit, [&] { return values_.size() >= count; });
  }

  void clear()
  {
    std::lock_guard<std::mutex> lock(mutex_);
    values_.clear();
  }

  std::vector<T> values()
  {
    std::lock_guard<std::mutex> lock(mutex_);
    return values_;
  }

private:
  std::mutex mutex_;
  std::condition_variable condition_;
  std::vector<T> values_;
};

template <typename FutureT>
bool is_ready_within(const FutureT & future, std::chrono::milliseconds limit = kWaitLimit)
{
  return future.wait_for(limit) == std::future_status::ready;
}

/// A server node and a client node on one spinning executor, with a Fibonacci server whose
/// callbacks the tests choose and record.
class ActionTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  /// Creates the server with the test's callbacks (accepted goals land in `accepted_`).
  void create_server(
    rclcpp_action::GoalResponse goal_response = rclcpp_action::GoalResponse::ACCEPT_AND_EXECUTE,
    rclcpp_action::CancelResponse cancel_response = rclcpp_action::CancelResponse::ACCEPT,
    const rcl_action_server_options_t & options = rcl_action_server_get_default_options());

  /// Sends a goal of `order` and waits for the server's answer.
  ClientGoalHandle::SharedPtr send_goal(
    int32_t order, const rclcpp_action::Client<Fibonacci>::SendGoalOptions & options = {});

  /// The accepted goal handle number `index` (0-based), waiting for it.
  std::shared_ptr<ServerGoalHandle> accepted_goal(size_t index = 0);

  static Fibonacci::Result::SharedPtr result_of(std::vector<int32_t> sequence);

  std::shared_ptr<rclcpp::Node> server_node_;
  std::shared_ptr<rclcpp::Node> client_node_;
  rclcpp_action::Server<Fibonacci>::SharedPtr server_;
  rclcpp_action::Client<Fibonacci>::SharedPtr client_;
  Mailbox<std::shared_ptr<ServerGoalHandle>> accepted_;
  Mailbox<rclcpp_action::GoalUUID> requested_goals_;
  Mailbox<bool> executing_when_accepted_;

private:
  std::shared_ptr<rclcpp::executors::SingleThreadedExecutor> executor_;
  std::unique_ptr<SpinThread> spin_thread_;
};

#endif  // RCLCPP_ACTION_TEST__ACTION_TEST_FIXTURE_HPP_

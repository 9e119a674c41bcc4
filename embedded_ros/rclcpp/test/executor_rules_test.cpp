#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "rclcpp/rclcpp.hpp"
#include "ros_fixture.hpp"
#include "std_msgs/msg/int32.hpp"
#include "std_srvs/srv/trigger.hpp"

namespace
{

using namespace std::chrono_literals;
using rclcpp::FutureReturnCode;
using std_msgs::msg::Int32;
using std_srvs::srv::Trigger;

class ExecutorRulesTest : public RosTest
{
protected:
  std::shared_ptr<rclcpp::Node> node_ = nullptr;
  rclcpp::executors::SingleThreadedExecutor executor_;

  void SetUp() override
  {
    RosTest::SetUp();
    node_ = std::make_shared<rclcpp::Node>("executor_rules");
    executor_.add_node(node_);
  }
};

Int32 make_int(int value)
{
  Int32 message;
  message.data = value;
  return message;
}

TEST_F(ExecutorRulesTest, SpinUntilFutureCompleteReturnCodes)
{
  std::promise<void> never;
  std::shared_future<void> pending = never.get_future().share();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(executor_.spin_until_future_complete(pending, 30ms), FutureReturnCode::TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
  EXPECT_EQ(executor_.spin_until_future_complete(pending, 0ms), FutureReturnCode::TIMEOUT);

  std::promise<int> by_timer;
  std::shared_future<int> completed = by_timer.get_future().share();
  int ticks = 0;
  auto timer = node_->create_wall_timer(1ms, [&]() {
    if (++ticks == 3) {
      by_timer.set_value(ticks);
    }
  });
  EXPECT_EQ(executor_.spin_until_future_complete(completed), FutureReturnCode::SUCCESS);
  EXPECT_EQ(completed.get(), 3);
  // A future that is already complete needs no spinning.
  EXPECT_EQ(executor_.spin_until_future_complete(completed, 0ms), FutureReturnCode::SUCCESS);
  EXPECT_FALSE(executor_.is_spinning());
}

TEST_F(ExecutorRulesTest, SpinUntilFutureCompleteIsInterruptedByShutdown)
{
  std::promise<void> never;
  auto timer = node_->create_wall_timer(1ms, []() { rclcpp::shutdown(); });
  EXPECT_EQ(
    executor_.spin_until_future_complete(never.get_future().share(), 5s),
    FutureReturnCode::INTERRUPTED);
  EXPECT_FALSE(rclcpp::ok());
}

TEST_F(ExecutorRulesTest, SpinSomeTakesOneMessageSpinAllDrains)
{
  auto publisher = node_->create_publisher<Int32>("numbers", 10);
  std::vector<int> received;
  auto subscription = node_->create_subscription<Int32>(
    "numbers", 10, [&](const Int32 & message) { received.push_back(message.data); });
  for (int i = 1; i <= 4; ++i) {
    publisher->publish(make_int(i));
  }
  executor_.spin_some();
  EXPECT_EQ(received, (std::vector<int>{1}));
  executor_.spin_all(1s);
  EXPECT_EQ(received, (std::vector<int>{1, 2, 3, 4}));
  executor_.spin_some();
  EXPECT_EQ(received.size(), 4u);
}

TEST_F(ExecutorRulesTest, LateJoinerKeepsOnlyItsOwnDepthOfLatchedMessages)
{
  auto latched = rclcpp::QoS(rclcpp::KeepLast(3)).transient_local();
  auto publisher = node_->create_publisher<Int32>("latched", latched);
  for (int i = 1; i <= 5; ++i) {
    publisher->publish(make_int(i));
  }
  std::vector<int> deep, shallow;
  auto deep_subscription = node_->create_subscription<Int32>(
    "latched", rclcpp::QoS(10).transient_local(),
    [&](const Int32 & message) { deep.push_back(message.data); });
  auto shallow_subscription = node_->create_subscription<Int32>(
    "latched", rclcpp::QoS(1).transient_local(),
    [&](const Int32 & message) { shallow.push_back(message.data); });
  executor_.spin_all(1s);
  EXPECT_EQ(deep, (std::vector<int>{3, 4, 5}));
  EXPECT_EQ(shallow, (std::vector<int>{5}));
}

TEST_F(ExecutorRulesTest, TimerCanceledInItsCallbackFiresOnce)
{
  int once = 0;
  rclcpp::TimerBase::SharedPtr self_canceling;
  self_canceling = node_->create_wall_timer(1ms, [&]() {
    ++once;
    self_canceling->cancel();
  });
  std::promise<void> done;
  int ticks = 0;
  auto pacer = node_->create_wall_timer(1ms, [&]() {
    if (++ticks == 10) {
      done.set_value();
    }
  });
  ASSERT_EQ(executor_.spin_until_future_complete(done.get_future(), 5s), FutureReturnCode::SUCCESS);
  EXPECT_EQ(once, 1);
  EXPECT_TRUE(self_canceling->is_canceled());
}

TEST_F(ExecutorRulesTest, TimerResetRestartsTheFullPeriod)
{
  auto timer = node_->create_wall_timer(10s, []() {});
  EXPECT_GT(timer->time_until_trigger(), 9s);
  EXPECT_LE(timer->time_until_trigger(), 10s);
  timer->cancel();
  EXPECT_EQ(timer->time_until_trigger(), std::chrono::nanoseconds::max());
  executor_.spin_some();
  timer->reset();
  EXPECT_FALSE(timer->is_canceled());
  EXPECT_GT(timer->time_until_trigger(), 9s);
}

TEST_F(ExecutorRulesTest, TimersOfMutuallyExclusiveGroupNeverOverlap)
{
  auto group = node_->create_callback_group(rclcpp::CallbackGroupType::MutuallyExclusive);
  std::atomic<int> running{0};
  std::atomic<bool> overlapped{false};
  Event progress;
  int calls = 0;
  auto work = [&]() {
    if (++running > 1) {
      overlapped = true;
    }
    const auto busy_until = std::chrono::steady_clock::now() + 1ms;
    while (std::chrono::steady_clock::now() < busy_until) {
    }
    --running;
    progress.notify([&] { ++calls; });
  };
  auto first = node_->create_wall_timer(1ms, work, group);
  auto second = node_->create_wall_timer(1ms, work, group);
  executor_.remove_node(node_);
  rclcpp::executors::MultiThreadedExecutor executor(rclcpp::ExecutorOptions(), 2);
  executor.add_node(node_);
  std::thread spinner([&] { executor.spin(); });
  EXPECT_TRUE(progress.wait_for([&] { return calls >= 20; }));
  executor.cancel();
  spinner.join();
  EXPECT_FALSE(overlapped.load());
}

TEST_F(ExecutorRulesTest, RequestToAServerThatGoesAwayNeverCompletes)
{
  auto server_node = std::make_shared<rclcpp::Node>("vanishing_server");
  auto service = server_node->create_service<Trigger>(
    "vanish", [](Trigger::Request::SharedPtr, Trigger::Response::SharedPtr response) {
      response->success = true;
    });
  auto client = node_->create_client<Trigger>("/vanish");
  ASSERT_TRUE(client->wait_for_service(1s));
  auto pending = client->async_send_request(std::make_shared<Trigger::Request>());
  service.reset();
  EXPECT_FALSE(client->service_is_ready());
  EXPECT_FALSE(client->wait_for_service(0ms));

  rclcpp::executors::SingleThreadedExecutor server_executor;
  server_executor.add_node(server_node);
  server_executor.spin_some();
  EXPECT_EQ(
    executor_.spin_until_future_complete(pending.future.share(), 20ms), FutureReturnCode::TIMEOUT);
  EXPECT_TRUE(client->remove_pending_request(pending.request_id));
  EXPECT_FALSE(client->remove_pending_request(pending.request_id));
}

TEST_F(ExecutorRulesTest, ResponseCallbackRunsOnceInsideSpin)
{
  auto server_node = std::make_shared<rclcpp::Node>("answering_server");
  auto service = server_node->create_service<Trigger>(
    "answer", [](Trigger::Request::SharedPtr, Trigger::Response::SharedPtr response) {
      response->success = true;
      response->message = "done";
    });
  rclcpp::executors::SingleThreadedExecutor server_executor;
  server_executor.add_node(server_node);
  std::thread server_spinner([&] { server_executor.spin(); });

  auto client = node_->create_client<Trigger>("answer");
  ASSERT_TRUE(client->wait_for_service(1s));
  int callbacks = 0;
  std::string message;
  auto sent = client->async_send_request(
    std::make_shared<Trigger::Request>(), [&](rclcpp::Client<Trigger>::SharedFuture future) {
      ++callbacks;
      message = future.get()->message;
    });
  EXPECT_EQ(executor_.spin_until_future_complete(sent.future, 5s), FutureReturnCode::SUCCESS);
  executor_.spin_some();
  EXPECT_EQ(callbacks, 1);
  EXPECT_EQ(message, "done");
  EXPECT_FALSE(client->remove_pending_request(sent.request_id));
  server_executor.cancel();
  server_spinner.join();
}

}  // namespace

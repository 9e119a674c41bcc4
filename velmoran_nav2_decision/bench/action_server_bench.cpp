// Time from a client sending a goal until the server's execute callback starts, with the server idle.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include "nav2_msgs/action/navigate_to_pose.hpp"
#include "nav2_util/node_thread.hpp"
#include "rclcpp/rclcpp.hpp"
#include "rclcpp_action/rclcpp_action.hpp"
#include "velmoran_nav2_base_class/velmoran_simple_action_server.hpp"

namespace
{

using Action = nav2_msgs::action::NavigateToPose;
using Server = nav2_util::VelmoranSimpleActionServer<Action>;
using Clock = std::chrono::steady_clock;

class ExecutionSignal
{
public:
  void notify()
  {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      started_at_ = Clock::now();
      started_ = true;
    }
    cv_.notify_one();
  }

  /// Waits for the next start and returns its time.
  Clock::time_point wait()
  {
    std::unique_lock<std::mutex> lock(mutex_);
    cv_.wait(lock, [this] { return started_; });
    started_ = false;
    return started_at_;
  }

private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool started_{false};
  Clock::time_point started_at_;
};

void BM_AcceptedGoalUntilExecuteStarts(benchmark::State & state)
{
  setenv("SPDLOG_STDOUT", "false", 1);
  setenv("SPDLOG_SYSTEMD", "false", 1);
  setenv("SPDLOG_LEVEL", "info", 1);
  rclcpp::init(0, nullptr);
  {
    auto server_node = std::make_shared<rclcpp::Node>("bench_action_server");
    ExecutionSignal started;
    std::unique_ptr<Server> server;
    server = std::make_unique<Server>(
      server_node->get_node_base_interface(), server_node->get_node_clock_interface(),
      server_node->get_node_logging_interface(), server_node->get_node_waitables_interface(),
      "navigate_to_pose",
      [&] {
        started.notify();
        server->succeeded_current();
      },
      nullptr, true, rcl_action_server_get_default_options());
    server->activate();

    auto client_node = std::make_shared<rclcpp::Node>("bench_action_client");
    auto client = rclcpp_action::create_client<Action>(client_node, "navigate_to_pose");
    nav2_util::NodeThread client_thread(client_node);
    if (!client->wait_for_action_server(std::chrono::seconds(5))) {
      state.SkipWithError("action server not found");
      return;
    }

    std::vector<double> latencies_us;
    for (auto _ : state) {
      const Clock::time_point sent = Clock::now();
      auto goal_handle = client->async_send_goal(Action::Goal());
      const std::chrono::duration<double> latency = started.wait() - sent;
      state.SetIterationTime(latency.count());
      latencies_us.push_back(latency.count() * 1e6);
      client->async_get_result(goal_handle.get()).wait();
    }
    std::sort(latencies_us.begin(), latencies_us.end());
    if (!latencies_us.empty()) {
      state.counters["median_us"] = latencies_us[latencies_us.size() / 2];
      state.counters["p90_us"] = latencies_us[latencies_us.size() * 9 / 10];
    }
    server.reset();
  }
  rclcpp::shutdown();
}
BENCHMARK(BM_AcceptedGoalUntilExecuteStarts)
  ->UseManualTime()
  ->Iterations(2000)
  ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// One action round trip in process: send a goal, the server accepts and succeeds it, the
// client receives the result. Reports the median round trip as counter "median_us".
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include <example_interfaces/action/fibonacci.hpp>
#include <rclcpp/rclcpp.hpp>
#include <rclcpp_action/rclcpp_action.hpp>

namespace
{
using Fibonacci = example_interfaces::action::Fibonacci;
using GoalHandle = rclcpp_action::ClientGoalHandle<Fibonacci>;

void BM_ActionRoundTrip(benchmark::State & state)
{
  rclcpp::init(0, nullptr);
  auto server_node = std::make_shared<rclcpp::Node>("bench_action_server");
  auto client_node = std::make_shared<rclcpp::Node>("bench_action_client");

  // The server succeeds each goal before the client's result request reaches it, so the result
  // must outlive the goal briefly; the default 15 minutes would make the server remember (and
  // list in every status message) every goal of the run.
  auto server_options = rcl_action_server_get_default_options();
  server_options.result_timeout.nanoseconds = 10 * 1000 * 1000;
  auto result = std::make_shared<Fibonacci::Result>();
  result->sequence = {0, 1, 1, 2};
  auto server = rclcpp_action::create_server<Fibonacci>(
    server_node, "bench_fibonacci",
    [](const rclcpp_action::GoalUUID &, std::shared_ptr<const Fibonacci::Goal>) {
      return rclcpp_action::GoalResponse::ACCEPT_AND_EXECUTE;
    },
    [](std::shared_ptr<rclcpp_action::ServerGoalHandle<Fibonacci>>) {
      return rclcpp_action::CancelResponse::ACCEPT;
    },
    [result](std::shared_ptr<rclcpp_action::ServerGoalHandle<Fibonacci>> goal_handle) {
      goal_handle->succeed(result);
    },
    server_options);
  auto client = rclcpp_action::create_client<Fibonacci>(client_node, "bench_fibonacci");

  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(server_node);
  executor.add_node(client_node);
  std::thread spinner([&executor] { executor.spin(); });
  if (!client->wait_for_action_server(std::chrono::seconds(5))) {
    state.SkipWithError("action server not found");
  }

  Fibonacci::Goal goal;
  goal.order = 3;
  std::vector<double> round_trips_us;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    auto done = std::make_shared<std::promise<rclcpp_action::ResultCode>>();
    rclcpp_action::Client<Fibonacci>::SendGoalOptions options;
    options.result_callback = [done](const GoalHandle::WrappedResult & wrapped) {
      done->set_value(wrapped.code);
    };
    client->async_send_goal(goal, options);
    const auto code = done->get_future().get();
    round_trips_us.push_back(
      std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    if (code != rclcpp_action::ResultCode::SUCCEEDED) {
      state.SkipWithError("goal did not succeed");
      break;
    }
  }

  std::sort(round_trips_us.begin(), round_trips_us.end());
  if (!round_trips_us.empty()) {
    state.counters["median_us"] = round_trips_us[round_trips_us.size() / 2];
    state.counters["p99_us"] = round_trips_us[round_trips_us.size() * 99 / 100];
  }

  rclcpp::shutdown();
  spinner.join();
}

BENCHMARK(BM_ActionRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

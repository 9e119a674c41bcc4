// Latency of a message from publish() to the subscription callback in an executor running on
// another thread, and the CPU an idle spinning executor uses.

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <ctime>
#include <memory>
#include <mutex>
#include <thread>

#include "rclcpp/rclcpp.hpp"
#include "std_msgs/msg/int64.hpp"

namespace
{

using Clock = std::chrono::steady_clock;

int64_t steady_now_ns()
{
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
    .count();
}

double process_cpu_seconds()
{
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

/// A listener node spun by its own executor thread; records when each message arrived.
class Listener
{
public:
  Listener() : node_(std::make_shared<rclcpp::Node>("bench_listener"))
  {
    subscription_ = node_->create_subscription<std_msgs::msg::Int64>(
      "bench_latency", 10, [this](const std_msgs::msg::Int64 & message) {
        const int64_t now = steady_now_ns();
        {
          std::lock_guard<std::mutex> lock(mutex_);
          latency_ns_ = now - message.data;
          received_ = true;
        }
        condition_.notify_one();
      });
    executor_.add_node(node_);
    thread_ = std::thread([this] { executor_.spin(); });
  }

  ~Listener()
  {
    executor_.cancel();
    thread_.join();
  }

  /// Waits for the next message and returns its latency in nanoseconds.
  int64_t wait_latency()
  {
    std::unique_lock<std::mutex> lock(mutex_);
    condition_.wait(lock, [this] { return received_; });
    received_ = false;
    return latency_ns_;
  }

private:
  rclcpp::Node::SharedPtr node_;
  rclcpp::Subscription<std_msgs::msg::Int64>::SharedPtr subscription_;
  rclcpp::executors::SingleThreadedExecutor executor_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable condition_;
  bool received_ = false;
  int64_t latency_ns_ = 0;
};

void BM_PublishToCallbackInOtherThread(benchmark::State & state)
{
  rclcpp::init(0, nullptr);
  {
    auto talker = std::make_shared<rclcpp::Node>("bench_talker");
    auto publisher = talker->create_publisher<std_msgs::msg::Int64>("bench_latency", 10);
    Listener listener;
    std_msgs::msg::Int64 message;
    for (auto _ : state) {
      message.data = steady_now_ns();
      publisher->publish(message);
      state.SetIterationTime(static_cast<double>(listener.wait_latency()) * 1e-9);
    }
  }
  rclcpp::shutdown();
}
BENCHMARK(BM_PublishToCallbackInOtherThread)
  ->UseManualTime()
  ->Unit(benchmark::kMicrosecond)
  ->Iterations(2000)
  ->Repetitions(5)
  ->ReportAggregatesOnly(true);

void BM_IdleSpinCpuPerSecond(benchmark::State & state)
{
  rclcpp::init(0, nullptr);
  {
    auto node = std::make_shared<rclcpp::Node>("bench_idle");
    auto subscription = node->create_subscription<std_msgs::msg::Int64>(
      "bench_idle_topic", 10, [](const std_msgs::msg::Int64 &) {});
    for (auto _ : state) {
      rclcpp::executors::SingleThreadedExecutor executor;
      executor.add_node(node);
      std::thread spinner([&executor] { executor.spin(); });
      const double cpu_before = process_cpu_seconds();
      const auto wall_before = Clock::now();
      std::this_thread::sleep_for(std::chrono::seconds(1));
      const double cpu_used = process_cpu_seconds() - cpu_before;
      const double wall = std::chrono::duration<double>(Clock::now() - wall_before).count();
      executor.cancel();
      spinner.join();
      state.SetIterationTime(wall);
      state.counters["cpu_ms_per_idle_s"] = cpu_used * 1000.0 / wall;
    }
  }
  rclcpp::shutdown();
}
BENCHMARK(BM_IdleSpinCpuPerSecond)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();

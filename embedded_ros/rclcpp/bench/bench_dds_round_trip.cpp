// Round trips to another process over DDS (Cyclone DDS on loopback), each timed on its own:
//   BM_TopicRoundTrip/<bytes>: publish a Payload with <bytes> of data on "bench_ping",
//       bench_dds_peer publishes it back on "bench_pong", its subscription callback here runs;
//   BM_ActionRoundTrip: send a Planner goal to bench_dds_peer's server, which accepts and
//       succeeds it, and receive the result.
// Counters "median_us" and "p99_us" hold the median and 99th percentile of the round trips, up to
// the benchmark's thread waking on the echo. For topics, "callback_median_us" and
// "callback_p99_us" end the round trip where the echo's callback starts on the executor's
// thread, which is where ddsperf ends its own (in the listener that receives the pong).
//
// The run moves into a network namespace of its own with only loopback (needs root; otherwise
// it stays on loopback with ROS_LOCALHOST_ONLY=1 in ROS_DOMAIN_ID 41 unless one is set), so
// nothing it sends leaves the machine. bench_dds_peer runs as a child process in the same
// namespace.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "child_process.hpp"
#include "dds_bench_msgs/msg/payload.hpp"
#include "private_network.hpp"
#include "rclcpp/rclcpp.hpp"
#include "rclcpp_action/rclcpp_action.hpp"
#include "velmoran_protocol/action/planner.hpp"

namespace
{

using Clock = std::chrono::steady_clock;
using Payload = dds_bench_msgs::msg::Payload;
using Planner = velmoran_protocol::action::Planner;

constexpr auto kReplyTimeout = std::chrono::seconds(5);

/// This process's node, spun on a thread of its own, and the peer process it talks to.
class Session
{
public:
  Session() : peer_(BENCH_DDS_PEER, {})
  {
    node_ = std::make_shared<rclcpp::Node>("bench_dds_round_trip");
    ping_ = node_->create_publisher<Payload>("bench_ping", rclcpp::QoS(10));
    pong_ = node_->create_subscription<Payload>(
      "bench_pong", rclcpp::QoS(10), [this](Payload::ConstSharedPtr message) {
        const auto arrived = Clock::now();
        {
          std::lock_guard<std::mutex> lock(mutex_);
          echo_arrived_ = arrived;
          echoed_sequence_ = message->sequence;
          echoed_size_ = message->data.size();
        }
        echoed_.notify_all();
      });
    planner_ = rclcpp_action::create_client<Planner>(node_, "bench_planner");
    executor_.add_node(node_);
    spinner_ = std::thread([this]() { executor_.spin(); });
  }

  ~Session()
  {
    executor_.cancel();
    spinner_.join();
    peer_.stop();
  }

  Session(const Session &) = delete;
  Session & operator=(const Session &) = delete;

  /// Empty once the peer answers on the topic and serves the action; otherwise what is missing.
  std::string wait_for_peer()
  {
    if (!peer_.started()) {
      return "could not start " BENCH_DDS_PEER;
    }
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    // Discovery takes a moment: ping until the first echo comes back.
    Payload first;
    bool answered = false;
    while (!answered && Clock::now() < deadline) {
      ping_->publish(first);
      answered = wait_for_echo(first, std::chrono::milliseconds(100));
    }
    if (!answered) {
      return "bench_dds_peer does not echo on bench_pong";
    }
    if (!planner_->wait_for_action_server(deadline - Clock::now())) {
      return "bench_dds_peer does not serve bench_planner";
    }
    return {};
  }

  /// One round trip of `message` through the peer; false when the echo did not come back.
  bool round_trip(const Payload & message)
  {
    ping_->publish(message);
    return wait_for_echo(message, kReplyTimeout);
  }

  /// When the callback of the last echo started.
  Clock::time_point echo_arrived()
  {
    std::lock_guard<std::mutex> lock(mutex_);
    return echo_arrived_;
  }

  rclcpp_action::Client<Planner> & planner() { return *planner_; }

private:
  bool wait_for_echo(const Payload & message, Clock::duration timeout)
  {
    std::unique_lock<std::mutex> lock(mutex_);
    return echoed_.wait_for(lock, timeout, [&]() {
      return echoed_sequence_ == message.sequence && echoed_size_ == message.data.size();
    });
  }

  embedded_ros_test::ChildProcess peer_;
  rclcpp::Node::SharedPtr node_;
  rclcpp::Publisher<Payload>::SharedPtr ping_;
  rclcpp::Subscription<Payload>::SharedPtr pong_;
  rclcpp_action::Client<Planner>::SharedPtr planner_;
  rclcpp::executors::SingleThreadedExecutor executor_;
  std::thread spinner_;

  std::mutex mutex_;
  std::condition_variable echoed_;
  uint32_t echoed_sequence_ = UINT32_MAX;
  Clock::time_point echo_arrived_;
  size_t echoed_size_ = 0;
};

Session * session = nullptr;

double microseconds_since(Clock::time_point start)
{
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void report(
  benchmark::State & state, std::vector<double> & round_trips_us, const std::string & prefix = "")
{
  if (round_trips_us.empty()) {
    return;
  }
  std::sort(round_trips_us.begin(), round_trips_us.end());
  state.counters[prefix + "median_us"] = round_trips_us[round_trips_us.size() / 2];
  state.counters[prefix + "p99_us"] = round_trips_us[round_trips_us.size() * 99 / 100];
}

void BM_TopicRoundTrip(benchmark::State & state)
{
  Payload message;
  message.data.assign(static_cast<size_t>(state.range(0)), 0xa5);
  std::vector<double> round_trips_us;
  std::vector<double> to_callback_us;
  for (auto _ : state) {
    ++message.sequence;
    const auto start = Clock::now();
    if (!session->round_trip(message)) {
      state.SkipWithError("no echo within 5 s");
      break;
    }
    round_trips_us.push_back(microseconds_since(start));
    to_callback_us.push_back(
      std::chrono::duration<double, std::micro>(session->echo_arrived() - start).count());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
  report(state, round_trips_us);
  report(state, to_callback_us, "callback_");
}

void BM_ActionRoundTrip(benchmark::State & state)
{
  Planner::Goal goal;
  goal.run_mode = Planner::Goal::NAVIGATION;
  std::vector<double> round_trips_us;
  for (auto _ : state) {
    const auto start = Clock::now();
    auto done = std::make_shared<std::promise<rclcpp_action::ResultCode>>();
    rclcpp_action::Client<Planner>::SendGoalOptions options;
    options.result_callback =
      [done](const rclcpp_action::ClientGoalHandle<Planner>::WrappedResult & wrapped) {
        done->set_value(wrapped.code);
      };
    session->planner().async_send_goal(goal, options);
    auto result = done->get_future();
    if (result.wait_for(kReplyTimeout) != std::future_status::ready) {
      state.SkipWithError("no result within 5 s");
      break;
    }
    round_trips_us.push_back(microseconds_since(start));
    if (result.get() != rclcpp_action::ResultCode::SUCCEEDED) {
      state.SkipWithError("goal did not succeed");
      break;
    }
  }
  report(state, round_trips_us);
}

BENCHMARK(BM_TopicRoundTrip)->Arg(64)->Arg(64 * 1024)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_ActionRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char ** argv)
{
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  const std::string refused = embedded_ros_test::enter_private_network();
  if (!refused.empty()) {
    std::fprintf(
      stderr, "No private network namespace (%s): staying on loopback only.\n", refused.c_str());
    setenv("ROS_DOMAIN_ID", "41", 0);
  }
  setenv("RMW_IMPLEMENTATION", "rmw_cyclonedds_cpp", 1);
  setenv("ROS_LOCALHOST_ONLY", "1", 1);

  rclcpp::init(0, nullptr);
  int status = 0;
  {
    Session running;
    const std::string missing = running.wait_for_peer();
    if (missing.empty()) {
      session = &running;
      benchmark::RunSpecifiedBenchmarks();
      session = nullptr;
    } else {
      std::fprintf(stderr, "%s\n", missing.c_str());
      status = 1;
    }
  }
  rclcpp::shutdown();
  benchmark::Shutdown();
  return status;
}

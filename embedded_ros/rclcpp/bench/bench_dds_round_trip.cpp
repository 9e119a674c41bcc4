// Round trips to another process over DDS (Cyclone DDS on loopback), each timed on its own:
//   BM_TopicRoundTrip/<bytes>: publish a Payload with <bytes> of data on "bench_ping",
//       bench_dds_peer publishes it back on "bench_pong", its subscription callback here runs;
//   BM_ActionRoundTrip: send a Planner goal to bench_dds_peer's server, which accepts and
//       succeeds it, and receive the result.
// Counters "median_us" and "p99_us" hold the median and 99th percentile of the round trips, and
// "switches_per_round_trip" the context switches of this process's threads per round trip. A
// topic's round trip ends where the echo's callback starts, which is where ddsperf ends its own
// (in the listener that receives the pong). The benchmark's thread spins the executor itself, as
// a client waiting in spin_until_future_complete does, so no thread of its own is woken by the
// executor's.
//
// The run moves into a network namespace of its own with only loopback (needs root; otherwise
// it stays on loopback with ROS_LOCALHOST_ONLY=1 in ROS_DOMAIN_ID 41 unless one is set), so
// nothing it sends leaves the machine. bench_dds_peer runs as a child process in the same
// namespace.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <string>
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

/// This process's node, spun by the benchmark's thread, and the peer process it talks to.
class Session
{
public:
  Session() : peer_(BENCH_DDS_PEER, {})
  {
    node_ = std::make_shared<rclcpp::Node>("bench_dds_round_trip");
    ping_ = node_->create_publisher<Payload>("bench_ping", rclcpp::QoS(10));
    pong_ = node_->create_subscription<Payload>(
      "bench_pong", rclcpp::QoS(10), [this](Payload::ConstSharedPtr message) {
        echo_arrived_ = Clock::now();
        echoed_sequence_ = message->sequence;
        echoed_size_ = message->data.size();
      });
    planner_ = rclcpp_action::create_client<Planner>(node_, "bench_planner");
    executor_.add_node(node_);
  }

  ~Session() { peer_.stop(); }

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
      answered = spin_until_echo(first, std::chrono::milliseconds(100));
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
    return spin_until_echo(message, kReplyTimeout);
  }

  /// When the callback of the last echo started.
  Clock::time_point echo_arrived() const { return echo_arrived_; }

  rclcpp_action::Client<Planner> & planner() { return *planner_; }
  rclcpp::executors::SingleThreadedExecutor & executor() { return executor_; }

private:
  bool spin_until_echo(const Payload & message, Clock::duration timeout)
  {
    const auto deadline = Clock::now() + timeout;
    while (echoed_sequence_ != message.sequence || echoed_size_ != message.data.size()) {
      const auto left = deadline - Clock::now();
      if (left <= Clock::duration::zero()) {
        return false;
      }
      executor_.spin_once(left);
    }
    return true;
  }

  embedded_ros_test::ChildProcess peer_;
  rclcpp::Node::SharedPtr node_;
  rclcpp::Publisher<Payload>::SharedPtr ping_;
  rclcpp::Subscription<Payload>::SharedPtr pong_;
  rclcpp_action::Client<Planner>::SharedPtr planner_;
  rclcpp::executors::SingleThreadedExecutor executor_;

  uint32_t echoed_sequence_ = UINT32_MAX;
  Clock::time_point echo_arrived_;
  size_t echoed_size_ = 0;
};

Session * session = nullptr;

double microseconds_since(Clock::time_point start)
{
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

/// Voluntary and involuntary context switches of all of this process's threads so far.
long context_switches()
{
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_nvcsw + usage.ru_nivcsw;
}

void report(benchmark::State & state, std::vector<double> & round_trips_us, long switches)
{
  if (round_trips_us.empty()) {
    return;
  }
  std::sort(round_trips_us.begin(), round_trips_us.end());
  state.counters["median_us"] = round_trips_us[round_trips_us.size() / 2];
  state.counters["p99_us"] = round_trips_us[round_trips_us.size() * 99 / 100];
  state.counters["switches_per_round_trip"] =
    static_cast<double>(switches) / static_cast<double>(round_trips_us.size());
}

void BM_TopicRoundTrip(benchmark::State & state)
{
  Payload message;
  message.data.assign(static_cast<size_t>(state.range(0)), 0xa5);
  std::vector<double> round_trips_us;
  const long switches_before = context_switches();
  for (auto _ : state) {
    ++message.sequence;
    const auto start = Clock::now();
    if (!session->round_trip(message)) {
      state.SkipWithError("no echo within 5 s");
      break;
    }
    round_trips_us.push_back(
      std::chrono::duration<double, std::micro>(session->echo_arrived() - start).count());
  }
  const long switches = context_switches() - switches_before;
  state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
  report(state, round_trips_us, switches);
}

void BM_ActionRoundTrip(benchmark::State & state)
{
  Planner::Goal goal;
  goal.run_mode = Planner::Goal::NAVIGATION;
  std::vector<double> round_trips_us;
  const long switches_before = context_switches();
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
    if (
      session->executor().spin_until_future_complete(result, kReplyTimeout) !=
      rclcpp::FutureReturnCode::SUCCESS) {
      state.SkipWithError("no result within 5 s");
      break;
    }
    round_trips_us.push_back(microseconds_since(start));
    if (result.get() != rclcpp_action::ResultCode::SUCCEEDED) {
      state.SkipWithError("goal did not succeed");
      break;
    }
  }
  report(state, round_trips_us, context_switches() - switches_before);
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

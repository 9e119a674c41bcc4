// Jobs end to end on the real node, engine and action client:
//   BM_GoalToFirstTick    goal sent -> execute callback -> first tick of the tree
//   BM_PreemptionLatency  goal sent during a job -> taken over by the running job
//   BM_ConsecutiveJobs    resident memory over 10 000 jobs in a row
// Each reports percentiles of its own samples as counters (microseconds, kilobytes).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "job_test_support.hpp"
#include "velmoran_nav2_base_class/velmoran_simple_action_server.hpp"

namespace velmoran::test
{
namespace
{

using Micros = std::chrono::duration<double, std::micro>;

void reportPercentiles(benchmark::State & state, std::vector<double> samples_us)
{
  if (samples_us.empty()) {
    return;
  }
  std::sort(samples_us.begin(), samples_us.end());
  const auto at = [&](double fraction) {
    return samples_us[std::min(
      samples_us.size() - 1,
      static_cast<std::size_t>(fraction * static_cast<double>(samples_us.size())))];
  };
  state.counters["p50_us"] = at(0.5);
  state.counters["p99_us"] = at(0.99);
  state.counters["max_us"] = samples_us.back();
}

long residentKilobytes()
{
  std::ifstream statm("/proc/self/statm");
  long size_pages = 0;
  long resident_pages = 0;
  statm >> size_pages >> resident_pages;
  return resident_pages * (sysconf(_SC_PAGESIZE) / 1024);
}

/// The robot stands at (1, 2) in the map: pose look-ups find a transform at once.
void provideRobotTransform(NodeProbe & node)
{
  geometry_msgs::msg::TransformStamped transform;
  transform.header.frame_id = "map";
  transform.child_frame_id = "base_footprint";
  transform.transform.translation.x = 1.0;
  transform.transform.translation.y = 2.0;
  transform.transform.rotation.w = 1.0;
  node.tf_->setTransform(transform, "bench", true);
}

void BM_GoalToFirstTick(benchmark::State & state)
{
  JobHarness harness("<Sequence><StampTick/><Outcome outcome=\"success\"/></Sequence>");
  provideRobotTransform(harness.node());
  const auto goal = goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 2.0}});
  std::vector<double> samples;
  for (auto _ : state) {
    const auto sent = std::chrono::steady_clock::now();
    const auto result = harness.resultOf(harness.send(goal));
    if (result.code != rclcpp_action::ResultCode::SUCCEEDED) {
      state.SkipWithError("job failed");
      break;
    }
    const std::chrono::steady_clock::time_point first_tick{std::chrono::steady_clock::duration(
      harness.node().blackboard_->get<int64_t>("test_first_tick_ns"))};
    const double latency = Micros(first_tick - sent).count();
    samples.push_back(latency);
    state.SetIterationTime(latency / 1e6);
  }
  reportPercentiles(state, samples);
}
BENCHMARK(BM_GoalToFirstTick)->UseManualTime()->Iterations(500)->Unit(benchmark::kMicrosecond);

void BM_PreemptionLatency(benchmark::State & state)
{
  JobHarness harness("<Outcome outcome=\"hold\"/>");
  provideRobotTransform(harness.node());
  auto & log = LogCapture::instance();
  const auto goal = goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 2.0}});
  const std::size_t start = log.mark();
  auto running = harness.send(goal);
  if (!log.waitFor("navigateToPose isNewGoalAvailable", start)) {
    state.SkipWithError("first job did not start");
    return;
  }
  std::vector<double> samples;
  for (auto _ : state) {
    const std::size_t from = log.mark();
    const auto sent = std::chrono::system_clock::now();
    auto preempting = harness.send(goal);
    bool taken = false;
    if (log.waitFor("run_mode is NAVIGATION", from)) {
      for (const auto & line : log.lines(from)) {
        if (
          line.function == "receivedNewGoal" &&
          line.text.find("isNewGoalAvailable") != std::string::npos) {
          const double latency = Micros(line.time - sent).count();
          samples.push_back(latency);
          state.SetIterationTime(latency / 1e6);
          taken = true;
          break;
        }
      }
    }
    if (!taken) {
      state.SkipWithError("preemption not seen");
      break;
    }
    running = preempting;
  }
  harness.cancel(running);
  harness.resultOf(running);
  reportPercentiles(state, samples);
}
BENCHMARK(BM_PreemptionLatency)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);

void BM_ConsecutiveJobs(benchmark::State & state)
{
  JobHarness harness("<Outcome outcome=\"success\"/>");
  provideRobotTransform(harness.node());
  auto & log = LogCapture::instance();
  const auto goal = goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 2.0}});
  const auto runJobs = [&](int count) {
    for (int i = 0; i < count; ++i) {
      if (harness.resultOf(harness.send(goal)).code != rclcpp_action::ResultCode::SUCCEEDED) {
        throw std::runtime_error("job failed");
      }
      if (i % 100 == 0) {
        log.clear();
      }
    }
    log.clear();
  };
  for (auto _ : state) {
    runJobs(1000);  // warm-up: caches, pools and the allocator reach their working size
    const long before = residentKilobytes();
    runJobs(static_cast<int>(state.range(0)));
    const long after = residentKilobytes();
    state.counters["rss_before_kb"] = static_cast<double>(before);
    state.counters["rss_after_kb"] = static_cast<double>(after);
    state.counters["rss_growth_kb"] = static_cast<double>(after - before);
  }
}
BENCHMARK(BM_ConsecutiveJobs)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

/// The same goals served by a bare server that succeeds at once: what the action layer itself
/// keeps (every result stays for the server's result time-out of 15 minutes), to set against
/// BM_ConsecutiveJobs.
void BM_ConsecutiveGoalsOfABareServer(benchmark::State & state)
{
  using Server = nav2_util::VelmoranSimpleActionServer<Planner>;
  auto server_node = rclcpp::Node::make_shared("bare_planner_server");
  auto client_node = rclcpp::Node::make_shared("bare_planner_client");
  std::unique_ptr<Server> server;
  const auto result = std::make_shared<Planner::Result>();
  server = std::make_unique<Server>(
    server_node->get_node_base_interface(), server_node->get_node_clock_interface(),
    server_node->get_node_logging_interface(), server_node->get_node_waitables_interface(),
    "bare_planner", [&] { server->succeeded_current(result); }, nullptr, true,
    rcl_action_server_get_default_options());
  server->activate();
  auto client = rclcpp_action::create_client<Planner>(client_node, "bare_planner");
  Spinner spinner({client_node->get_node_base_interface()});
  client->wait_for_action_server(std::chrono::seconds(10));
  const auto goal = goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 2.0}});
  const auto runGoals = [&](int count) {
    for (int i = 0; i < count; ++i) {
      auto handle = client->async_send_goal(goal);
      handle.wait();
      auto outcome = client->async_get_result(handle.get());
      outcome.wait();
    }
    LogCapture::instance().clear();
  };
  for (auto _ : state) {
    runGoals(1000);
    const long before = residentKilobytes();
    runGoals(static_cast<int>(state.range(0)));
    const long after = residentKilobytes();
    state.counters["rss_growth_kb"] = static_cast<double>(after - before);
  }
}
BENCHMARK(BM_ConsecutiveGoalsOfABareServer)
  ->Arg(10000)
  ->Iterations(1)
  ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmoran::test

int main(int argc, char ** argv)
{
  velmoran::test::LogCapture::instance();
  rclcpp::init(0, nullptr);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  rclcpp::shutdown();
  return 0;
}

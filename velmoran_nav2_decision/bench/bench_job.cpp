// Jobs end to end on the real node, engine and action client:
//   BM_GoalToFirstTick        goal sent -> execute callback -> first tick of the tree
//   BM_PreemptionLatency      goal sent during a job -> taken over by the running job
//   BM_CancelLatency          cancel sent during a job -> job reported cancelled (and the client
//                             holding the result)
//   BM_StopLatency            "stop_task" called during a job -> job reported (and the result at
//                             the client)
//   BM_EmergencyStopLatency   emergency stop published during a job -> running action halted
//   BM_IdleJobCpu             CPU of the whole process while a job's tree keeps running
//   BM_ConsecutiveJobs        resident memory over 10 000 jobs in a row
// Each reports percentiles of its own samples as counters (microseconds, kilobytes).
// Every latency is a chain of thread wake-ups. On a virtual machine a thread woken onto an idle
// virtual CPU can wait milliseconds for the hypervisor (perf sched shows it as scheduling delay
// while both CPUs are idle); `taskset -c 1` keeps the chain on one CPU, without that delay.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <velmoran_protocol/msg/robot_info_level_zero.hpp>

#include "job_test_support.hpp"
#include "velmoran_nav2_base_class/velmoran_simple_action_server.hpp"

namespace velmoran::test
{
namespace
{

using Micros = std::chrono::duration<double, std::micro>;

void reportPercentiles(
  benchmark::State & state, std::vector<double> samples_us, const std::string & prefix = "")
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
  state.counters[prefix + "p50_us"] = at(0.5);
  state.counters[prefix + "p99_us"] = at(0.99);
  state.counters[prefix + "max_us"] = samples_us.back();
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
BENCHMARK(BM_PreemptionLatency)->UseManualTime()->Iterations(1000)->Unit(benchmark::kMicrosecond);

/// A tree that counts its runs and then runs until the job ends.
constexpr const char * kHoldingTree = "<Sequence><CountRun/><Outcome outcome=\"hold\"/></Sequence>";

/// Sends a goal and waits until its tree has been ticked; nullptr if it was not.
PlannerGoalHandle::SharedPtr startHeldJob(JobHarness & harness)
{
  const int runs = harness.treeRuns();
  auto job = harness.send(goalWithPoses(PlannerGoal::NAVIGATION, {{1.0, 2.0}}));
  return waitUntil([&] { return harness.treeRuns() > runs; }) ? job : nullptr;
}

/// Samples of one request that ends a held job: the time from the request to the job's log line
/// `ended`, and to the result at the client (`client_*` counters).
template <typename Request>
void measureJobEnd(
  benchmark::State & state, const std::string & ended, rclcpp_action::ResultCode code,
  Request request)
{
  JobHarness harness(kHoldingTree);
  provideRobotTransform(harness.node());
  auto & log = LogCapture::instance();
  std::vector<double> samples;
  std::vector<double> client_samples;
  for (auto _ : state) {
    const auto job = startHeldJob(harness);
    if (!job) {
      state.SkipWithError("job did not start");
      break;
    }
    const std::size_t from = log.mark();
    const auto sent = std::chrono::system_clock::now();
    request(harness, job);
    const auto result = harness.resultOf(job);
    const auto received = std::chrono::system_clock::now();
    // The report logs after it has handed the result over.
    log.waitFor(ended, from);
    const CapturedLine line = log.find(ended, from);
    if (result.code != code || line.text.empty()) {
      state.SkipWithError("job did not end as asked");
      break;
    }
    const double latency = Micros(line.time - sent).count();
    samples.push_back(latency);
    client_samples.push_back(Micros(received - sent).count());
    state.SetIterationTime(latency / 1e6);
    if (samples.size() % 100 == 0) {
      log.clear();
    }
  }
  reportPercentiles(state, samples);
  reportPercentiles(state, client_samples, "client_");
}

void BM_CancelLatency(benchmark::State & state)
{
  measureJobEnd(
    state, "Task has been cancled", rclcpp_action::ResultCode::CANCELED,
    [](JobHarness & harness, const PlannerGoalHandle::SharedPtr & job) { harness.cancel(job); });
}
BENCHMARK(BM_CancelLatency)->UseManualTime()->Iterations(1000)->Unit(benchmark::kMicrosecond);

void BM_StopLatency(benchmark::State & state)
{
  measureJobEnd(
    state, "Task completed", rclcpp_action::ResultCode::SUCCEEDED,
    [](JobHarness & harness, const PlannerGoalHandle::SharedPtr &) { harness.requestStop(); });
}
BENCHMARK(BM_StopLatency)->UseManualTime()->Iterations(1000)->Unit(benchmark::kMicrosecond);

void BM_EmergencyStopLatency(benchmark::State & state)
{
  JobHarness harness(kHoldingTree);
  provideRobotTransform(harness.node());
  auto & blackboard = *harness.node().blackboard_;
  blackboard.set("test_halts", 0);
  auto publisher = harness.client()->create_publisher<velmoran_protocol::msg::RobotInfoLevelZero>(
    "/robot_info_level_zero", 1);
  velmoran_protocol::msg::RobotInfoLevelZero robot_state;
  const auto halts = [&] {
    int count = 0;
    blackboard.get("test_halts", count);
    return count;
  };
  const auto job = startHeldJob(harness);
  if (!job) {
    state.SkipWithError("job did not start");
    return;
  }
  std::vector<double> samples;
  for (auto _ : state) {
    const int halts_before = halts();
    const int runs_before = harness.treeRuns();
    const auto sent = std::chrono::steady_clock::now();
    robot_state.emergency_stop = true;
    publisher->publish(robot_state);
    if (!waitUntil([&] { return halts() > halts_before; })) {
      state.SkipWithError("running action not halted");
      break;
    }
    const std::chrono::steady_clock::time_point halted{
      std::chrono::steady_clock::duration(blackboard.get<int64_t>("test_halt_ns"))};
    const double latency = Micros(halted - sent).count();
    samples.push_back(latency);
    state.SetIterationTime(latency / 1e6);
    robot_state.emergency_stop = false;
    publisher->publish(robot_state);
    if (!waitUntil([&] { return harness.treeRuns() > runs_before; })) {
      state.SkipWithError("tree did not resume");
      break;
    }
    if (samples.size() % 100 == 0) {
      LogCapture::instance().clear();
    }
  }
  harness.cancel(job);
  harness.resultOf(job);
  reportPercentiles(state, samples);
}
BENCHMARK(BM_EmergencyStopLatency)
  ->UseManualTime()
  ->Iterations(1000)
  ->Unit(benchmark::kMicrosecond);

double processCpuSeconds()
{
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval & time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_IdleJobCpu(benchmark::State & state)
{
  JobHarness harness(kHoldingTree);
  provideRobotTransform(harness.node());
  const auto job = startHeldJob(harness);
  if (!job) {
    state.SkipWithError("job did not start");
    return;
  }
  for (auto _ : state) {
    const double cpu_start = processCpuSeconds();
    const auto wall_start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const double cpu = processCpuSeconds() - cpu_start;
    const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    state.counters["cpu_percent_of_a_core"] = 100.0 * cpu / wall;
  }
  harness.cancel(job);
  harness.resultOf(job);
}
BENCHMARK(BM_IdleJobCpu)->Iterations(1)->Unit(benchmark::kMillisecond);

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

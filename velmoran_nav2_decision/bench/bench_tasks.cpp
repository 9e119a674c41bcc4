// Cost of turning a job into goals for the tree: updateQueue plus handing out every goal with
// nextGoal, for a long NAVIGATION job and a large coverage job. The engine ticks every 10 ms, so a
// job start must stay far below one tick per 1000 poses. The tasks' info logging is on and goes
// to /dev/null, so formatting and writing the lines is part of the figures.

#include <cstdlib>
#include <memory>

#include <benchmark/benchmark.h>
#include <spdlog/sinks/basic_file_sink.h>

#include "logging/logger.hpp"
#include "navigation_task.hpp"
#include "static_coverage_task.hpp"

namespace
{

using bt_navigator::RobotTaskBase;
using bt_navigator::TaskState;
using Goal = RobotTaskBase::Goal;

constexpr int kPointsPerZone = 1000;

std::shared_ptr<const Goal> navigationGoal(int64_t poses)
{
  auto goal = std::make_shared<Goal>();
  goal->run_mode = Goal::NAVIGATION;
  goal->goal_poses.resize(static_cast<size_t>(poses));
  for (int64_t i = 0; i < poses; ++i) {
    auto & pose = goal->goal_poses[static_cast<size_t>(i)];
    pose.header.frame_id = "map";
    pose.pose.position.x = 0.1 * static_cast<double>(i);
    pose.pose.position.y = 0.05 * static_cast<double>(i);
  }
  return goal;
}

std::shared_ptr<const Goal> coverageGoal(int64_t zones)
{
  auto goal = std::make_shared<Goal>();
  goal->run_mode = Goal::STATICHUICOVERAGE;
  goal->goal_zones.resize(static_cast<size_t>(zones));
  for (auto & zone : goal->goal_zones) {
    zone.points.resize(kPointsPerZone);
    for (int i = 0; i < kPointsPerZone; ++i) {
      zone.points[static_cast<size_t>(i)].x = 0.01F * static_cast<float>(i);
      zone.points[static_cast<size_t>(i)].y = 0.02F * static_cast<float>(i);
    }
  }
  goal->covered_points = goal->goal_zones.front().points;
  return goal;
}

/// Reports the time per 1000 items next to the time per job.
void reportPerThousand(benchmark::State & state, int64_t items_per_job)
{
  state.SetComplexityN(items_per_job);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * items_per_job);
  state.counters["time_per_1000"] = benchmark::Counter(
    static_cast<double>(state.iterations()) * static_cast<double>(items_per_job) / 1000.0,
    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_NavigationJob(benchmark::State & state)
{
  const auto blackboard = BT::Blackboard::create();
  const auto goal = navigationGoal(state.range(0));
  for (auto _ : state) {
    bt_navigator::NavigationTask task(blackboard, nullptr);
    task.updateQueue(goal);
    int handed_out = 0;
    while (task.nextGoal() == TaskState::CONTINUE) {
      ++handed_out;
    }
    benchmark::DoNotOptimize(handed_out);
  }
  reportPerThousand(state, state.range(0));
}
BENCHMARK(BM_NavigationJob)
  ->RangeMultiplier(2)
  ->Range(1250, 10000)
  ->Complexity(benchmark::oN)
  ->Unit(benchmark::kMillisecond);

void BM_CoverageJob(benchmark::State & state)
{
  const auto blackboard = BT::Blackboard::create();
  const auto goal = coverageGoal(state.range(0));
  for (auto _ : state) {
    bt_navigator::StaticCoverageTask task(blackboard, nullptr);
    task.updateQueue(goal);
    while (task.nextGoal() == TaskState::CONTINUE) {
    }
  }
  // Items are zone points.
  reportPerThousand(state, state.range(0) * kPointsPerZone);
}
BENCHMARK(BM_CoverageJob)
  ->DenseRange(25, 100, 25)
  ->Complexity(benchmark::oN)
  ->Unit(benchmark::kMillisecond);

void routeLogsToDevNull()
{
  setenv("SPDLOG_STDOUT", "false", 1);
  setenv("SPDLOG_SYSTEMD", "false", 1);
  setenv("SPDLOG_LEVEL", "info", 1);
  // The same bare "%v" lines the node's console sink writes.
  auto dev_null = std::make_shared<spdlog::sinks::basic_file_sink_mt>("/dev/null");
  dev_null->set_pattern("%v");
  velmoran::Logger::Instance("bench_tasks").logger()->sinks().push_back(dev_null);
}

}  // namespace

int main(int argc, char ** argv)
{
  routeLogsToDevNull();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// CPU share of BehaviorTreeEngine::run while a tree keeps RUNNING at a 10 ms period.
#include <benchmark/benchmark.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <memory>

#include "velmoran_behavior_tree/behavior_tree_engine.hpp"

namespace
{
using behavior_tree::TaskState;

double threadCpuSeconds()
{
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_RunRunningTreeAt10ms(benchmark::State & state)
{
  behavior_tree::BehaviorTreeEngine engine({ENGINE_TEST_NODES_PATH});
  auto tree = engine.createTreeFromText(
    R"(
    <root><BehaviorTree><ReactiveSequence>
      <AlwaysSuccess/><AlwaysSuccess/><AlwaysSuccess/>
      <Sequence><AlwaysSuccess/><AlwaysSuccess/><AlwaysSuccess/></Sequence>
      <Fallback><AlwaysFailure/><Work/></Fallback>
    </ReactiveSequence></BehaviorTree></root>)",
    BT::Blackboard::create());
  auto stop = std::make_shared<std::atomic<bool>>(false);
  auto emergency = std::make_shared<std::atomic<bool>>(false);
  const int cycles_per_run = 100;

  double cpu_seconds = 0;
  double wall_seconds = 0;
  for (auto _ : state) {
    int cycles = 0;
    const double cpu_start = threadCpuSeconds();
    const auto wall_start = std::chrono::steady_clock::now();
    engine.run(
      &tree,
      [&](bool &) {
        return ++cycles == cycles_per_run ? TaskState::COMPLETED : TaskState::CONTINUE;
      },
      [] { return false; }, stop, emergency, std::chrono::milliseconds(10));
    cpu_seconds += threadCpuSeconds() - cpu_start;
    wall_seconds +=
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
  }
  state.counters["cpu_percent_of_core"] = 100.0 * cpu_seconds / wall_seconds;
  state.counters["cycles"] = cycles_per_run;
}

BENCHMARK(BM_RunRunningTreeAt10ms)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

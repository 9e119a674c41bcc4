#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gate.hpp"
#include "recording_sink.hpp"
#include "velmoran_nav2_base_class/velmoran_simple_action_server.hpp"

namespace
{

using nav2_util::ThreadPool;
using velmoran::test::AttachedRecordingSink;
using velmoran::test::Gate;
using velmoran::test::RecordedLine;

class ThreadPoolTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { velmoran::test::setUpQuietLogger(); }

  /// Queues a task that reports its start and then holds the worker until `release` opens.
  void occupyWorker(ThreadPool & pool, Gate & release)
  {
    Gate started;
    pool.enqueue([&started, &release] {
      started.open();
      EXPECT_TRUE(release.pass());
    });
    ASSERT_TRUE(started.pass());
  }
};

TEST_F(ThreadPoolTest, RunsTasksInQueueOrder)
{
  std::mutex mutex;
  std::vector<int> order;
  {
    ThreadPool pool(1);
    Gate release;
    occupyWorker(pool, release);
    for (int task = 1; task <= 4; ++task) {
      pool.enqueue([&, task] {
        std::lock_guard<std::mutex> lock(mutex);
        order.push_back(task);
      });
    }
    release.open();
  }
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(ThreadPoolTest, WarnsFromTheFifthQueuedTaskOn)
{
  AttachedRecordingSink sink;
  ThreadPool pool(1);
  Gate release;
  occupyWorker(pool, release);
  for (int task = 1; task <= 4; ++task) {
    pool.enqueue([] {});
  }
  EXPECT_TRUE(sink.lines().empty());

  pool.enqueue([] {});
  pool.enqueue([] {});
  release.open();

  const std::vector<RecordedLine> lines = sink.lines();
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_THAT(lines[0].text, ::testing::EndsWith("[WARN] Worker thread pool is busy with 5 tasks"));
  EXPECT_THAT(lines[1].text, ::testing::EndsWith("[WARN] Worker thread pool is busy with 6 tasks"));
  EXPECT_EQ(lines[0].level, spdlog::level::warn);
  EXPECT_EQ(lines[0].file, "./velmoran_nav2_base_class/velmoran_simple_action_server.hpp");
  EXPECT_EQ(lines[0].function, "enqueue");
}

TEST_F(ThreadPoolTest, DestructionRunsTheCurrentAndEveryQueuedTaskAndThenRefusesNewOnes)
{
  auto pool = std::make_unique<ThreadPool>(1);
  ThreadPool * const stopping_pool = pool.get();
  std::atomic<int> finished{0};
  std::string refusal;
  Gate destroying;
  stopping_pool->enqueue([&] {
    EXPECT_TRUE(destroying.pass());
    // Once the destructor has stopped the pool, queuing fails; until then a no-op may slip in.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (refusal.empty() && std::chrono::steady_clock::now() < deadline) {
      try {
        stopping_pool->enqueue([] {});
        std::this_thread::yield();
      } catch (const std::runtime_error & error) {
        refusal = error.what();
      }
    }
    ++finished;
  });
  for (int task = 0; task < 3; ++task) {
    pool->enqueue([&finished] { ++finished; });
  }

  std::thread destroyer([&pool, &destroying] {
    destroying.open();
    pool.reset();
  });
  destroyer.join();

  EXPECT_EQ(refusal, "enqueue on stopped ThreadPool");
  EXPECT_EQ(finished.load(), 4);
}

TEST_F(ThreadPoolTest, RunningFlagIsSetExactlyWhileATaskRuns)
{
  ThreadPool pool(1);
  EXPECT_FALSE(pool.running_task_);

  Gate release;
  std::atomic<bool> seen_inside{false};
  Gate started;
  pool.enqueue([&] {
    seen_inside = pool.running_task_.load();
    started.open();
    EXPECT_TRUE(release.pass());
  });
  ASSERT_TRUE(started.pass());
  EXPECT_TRUE(seen_inside);
  EXPECT_TRUE(pool.running_task_);

  release.open();
  pool.shutdown();
  EXPECT_FALSE(pool.running_task_);
}

TEST_F(ThreadPoolTest, TasksMayQueueFurtherTasks)
{
  Gate done;
  ThreadPool pool(1);
  pool.enqueue([&] { pool.enqueue([&] { done.open(); }); });
  EXPECT_TRUE(done.pass());
}

}  // namespace

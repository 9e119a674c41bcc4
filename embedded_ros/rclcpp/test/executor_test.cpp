#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "rclcpp/rclcpp.hpp"
#include "ros_fixture.hpp"
#include "std_msgs/msg/int32.hpp"

namespace
{

using namespace std::chrono_literals;
using std_msgs::msg::Int32;

class ExecutorTest : public RosTest
{
};

/// Counts callbacks running at the same time.
class OverlapProbe
{
public:
  void enter()
  {
    int now = ++running_;
    int seen = max_running_.load();
    while (now > seen && !max_running_.compare_exchange_weak(seen, now)) {
    }
  }
  void leave() { --running_; }
  int max_running() const { return max_running_.load(); }

private:
  std::atomic<int> running_{0};
  std::atomic<int> max_running_{0};
};

TEST_F(ExecutorTest, MutuallyExclusiveCallbacksNeverOverlap)
{
  auto node = std::make_shared<rclcpp::Node>("exclusive");
  auto group = node->create_callback_group(rclcpp::CallbackGroupType::MutuallyExclusive);
  rclcpp::SubscriptionOptions options;
  options.callback_group = group;
  OverlapProbe probe;
  Event done;
  int handled = 0;
  auto slow = [&](const Int32 &) {
    probe.enter();
    std::this_thread::sleep_for(2ms);  // widen the window in which an overlap would show
    probe.leave();
    done.notify([&] { ++handled; });
  };
  auto a = node->create_subscription<Int32>("a", 100, slow, options);
  auto b = node->create_subscription<Int32>("b", 100, slow, options);
  auto pa = node->create_publisher<Int32>("a", 100);
  auto pb = node->create_publisher<Int32>("b", 100);

  rclcpp::executors::MultiThreadedExecutor executor(rclcpp::ExecutorOptions(), 4);
  executor.add_node(node);
  std::thread spinner([&] { executor.spin(); });
  for (int i = 0; i < 20; ++i) {
    pa->publish(Int32());
    pb->publish(Int32());
  }
  EXPECT_TRUE(done.wait_for([&] { return handled == 40; }));
  executor.cancel();
  spinner.join();
  EXPECT_EQ(probe.max_running(), 1);
}

TEST_F(ExecutorTest, ReentrantCallbacksRunInParallel)
{
  auto node = std::make_shared<rclcpp::Node>("reentrant");
  auto group = node->create_callback_group(rclcpp::CallbackGroupType::Reentrant);
  rclcpp::SubscriptionOptions options;
  options.callback_group = group;
  Event both_inside;
  int inside = 0;
  int met = 0;
  auto rendezvous = [&](const Int32 &) {
    both_inside.notify([&] { ++inside; });
    // Only possible when the other callback runs at the same time.
    if (both_inside.wait_for([&] { return inside >= 2; }, 5s)) {
      both_inside.notify([&] { ++met; });
    }
  };
  auto a = node->create_subscription<Int32>("ra", 10, rendezvous, options);
  auto b = node->create_subscription<Int32>("rb", 10, rendezvous, options);
  rclcpp::executors::MultiThreadedExecutor executor(rclcpp::ExecutorOptions(), 2);
  executor.add_node(node);
  std::thread spinner([&] { executor.spin(); });
  node->create_publisher<Int32>("ra", 10)->publish(Int32());
  node->create_publisher<Int32>("rb", 10)->publish(Int32());
  EXPECT_TRUE(both_inside.wait_for([&] { return met == 2; }, 5s));
  executor.cancel();
  spinner.join();
}

TEST_F(ExecutorTest, GroupOrNodeInTwoExecutorsIsRefused)
{
  auto node = std::make_shared<rclcpp::Node>("shared");
  rclcpp::executors::SingleThreadedExecutor first;
  rclcpp::executors::SingleThreadedExecutor second;
  first.add_node(node);
  EXPECT_THROW(second.add_node(node), std::runtime_error);
  auto manual = node->create_callback_group(rclcpp::CallbackGroupType::MutuallyExclusive, false);
  second.add_callback_group(manual, node->get_node_base_interface());
  try {
    first.add_callback_group(manual, node->get_node_base_interface());
    FAIL() << "expected std::runtime_error";
  } catch (const std::runtime_error & error) {
    EXPECT_STREQ(error.what(), "Callback group has already been added to an executor.");
  }
  first.remove_node(node);
  EXPECT_NO_THROW(second.add_node(node));
}

TEST_F(ExecutorTest, GroupAddedAfterNodeIsServed)
{
  auto node = std::make_shared<rclcpp::Node>("late_group");
  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(node);
  std::thread spinner([&] { executor.spin(); });
  auto group = node->create_callback_group(rclcpp::CallbackGroupType::Reentrant);
  rclcpp::SubscriptionOptions options;
  options.callback_group = group;
  Event received;
  bool got = false;
  auto subscription = node->create_subscription<Int32>(
    "late", 10, [&](const Int32 &) { received.notify([&] { got = true; }); }, options);
  node->create_publisher<Int32>("late", 10)->publish(Int32());
  EXPECT_TRUE(received.wait_for([&] { return got; }));
  executor.cancel();
  spinner.join();
}

TEST_F(ExecutorTest, WallTimerFiresCancelsAndResets)
{
  auto node = std::make_shared<rclcpp::Node>("timers");
  Event ticked;
  int ticks = 0;
  auto timer = node->create_wall_timer(5ms, [&]() { ticked.notify([&] { ++ticks; }); });
  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(node);
  std::thread spinner([&] { executor.spin(); });
  EXPECT_TRUE(ticked.wait_for([&] { return ticks >= 3; }));
  timer->cancel();
  EXPECT_TRUE(timer->is_canceled());
  int ticks_at_cancel = 0;
  ticked.notify([&] { ticks_at_cancel = ticks; });
  // A cancelled timer reports no due time, so the executor has nothing to wait for.
  EXPECT_EQ(timer->time_until_trigger(), std::chrono::nanoseconds::max());
  timer->reset();
  EXPECT_FALSE(timer->is_canceled());
  EXPECT_TRUE(ticked.wait_for([&] { return ticks >= ticks_at_cancel + 2; }));
  executor.cancel();
  spinner.join();
}

TEST_F(ExecutorTest, TimerOnRosClockWithTimerArgument)
{
  auto node = std::make_shared<rclcpp::Node>("ros_timer");
  Event fired;
  rclcpp::TimerBase * seen = nullptr;
  auto timer = rclcpp::create_timer(
    node, node->get_clock(), rclcpp::Duration(0, 5000000),
    [&](rclcpp::TimerBase & t) { fired.notify([&] { seen = &t; }); });
  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(node);
  std::thread spinner([&] { executor.spin(); });
  EXPECT_TRUE(fired.wait_for([&] { return seen != nullptr; }));
  executor.cancel();
  spinner.join();
  EXPECT_EQ(seen, timer.get());
}

TEST_F(ExecutorTest, SpinEndsOnShutdownAndSpinTwiceThrows)
{
  auto node = std::make_shared<rclcpp::Node>("spinner");
  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(node);
  std::atomic<bool> returned{false};
  Event started;
  bool spinning = false;
  auto timer = node->create_wall_timer(1ms, [&] { started.notify([&] { spinning = true; }); });
  std::thread spinner([&] {
    executor.spin();
    returned = true;
  });
  EXPECT_TRUE(started.wait_for([&] { return spinning; }));
  timer->cancel();
  EXPECT_THROW(executor.spin_once(0ns), std::runtime_error);
  rclcpp::shutdown();
  spinner.join();
  EXPECT_TRUE(returned);
}

/// Work handed over from another thread, executed by the executor. Its guard condition wakes
/// the executor; a trigger counts for one wait, so it triggers again while values remain.
class Mailbox : public rclcpp::Waitable
{
public:
  void post(int value)
  {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      pending_.push_back(value);
    }
    guard_condition_.trigger();
  }
  size_t get_number_of_ready_guard_conditions() override { return 1; }
  void add_to_wait_set(rcl_wait_set_t * wait_set) override
  {
    guard_condition_.add_to_wait_set(wait_set);
  }
  bool is_ready(rcl_wait_set_t *) override
  {
    std::lock_guard<std::mutex> lock(mutex_);
    return !pending_.empty();
  }
  std::shared_ptr<void> take_data() override
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto value = std::make_shared<int>(pending_.front());
    pending_.erase(pending_.begin());
    if (!pending_.empty()) {
      guard_condition_.trigger();
    }
    return value;
  }
  void execute(std::shared_ptr<void> & data) override
  {
    delivered.notify([&] {
      values.push_back(*std::static_pointer_cast<int>(data));
      thread = std::this_thread::get_id();
    });
  }

  Event delivered;
  std::vector<int> values;
  std::thread::id thread;

private:
  std::mutex mutex_;
  std::vector<int> pending_;
  rclcpp::GuardCondition guard_condition_;
};

/// A node whose default group holds one waitable, served by a single-threaded executor.
template <typename WaitableT>
struct ServedWaitable
{
  explicit ServedWaitable(const std::string & name)
  : node(std::make_shared<rclcpp::Node>(name)), waitable(std::make_shared<WaitableT>())
  {
    node->get_node_waitables_interface()->add_waitable(waitable, nullptr);
    executor.add_node(node);
  }

  rclcpp::Node::SharedPtr node;
  std::shared_ptr<WaitableT> waitable;
  rclcpp::executors::SingleThreadedExecutor executor;
};

TEST_F(ExecutorTest, WaitableIsExecutedAfterItsGuardConditionIsTriggered)
{
  ServedWaitable<Mailbox> served("waitables");
  auto & mailbox = served.waitable;
  auto & executor = served.executor;
  std::thread spinner([&] { executor.spin(); });
  std::thread poster([&] {
    mailbox->post(1);
    mailbox->post(2);
  });
  poster.join();
  EXPECT_TRUE(mailbox->delivered.wait_for([&] { return mailbox->values.size() == 2; }));
  const std::thread::id spinner_id = spinner.get_id();
  executor.cancel();
  spinner.join();
  EXPECT_EQ(mailbox->values, (std::vector<int>{1, 2}));
  EXPECT_EQ(mailbox->thread, spinner_id);
}

/// Adds two guard conditions of its own and reports which of them the wait left in the set.
class TwoConditions : public rclcpp::Waitable
{
public:
  size_t get_number_of_ready_guard_conditions() override { return declared; }
  void add_to_wait_set(rcl_wait_set_t * wait_set) override
  {
    for (size_t i = 0; i < 2; ++i) {
      const rcl_ret_t ret = rcl_wait_set_add_guard_condition(
        wait_set, &conditions[i].get_rcl_guard_condition(), &slots[i]);
      if (ret != RCL_RET_OK) {
        throw std::runtime_error("add failed with " + std::to_string(ret));
      }
    }
  }
  bool is_ready(rcl_wait_set_t * wait_set) override
  {
    seen.clear();
    for (size_t i = 0; i < 2; ++i) {
      seen.push_back(wait_set->guard_conditions[slots[i]] != nullptr);
    }
    return seen[0] || seen[1];
  }
  std::shared_ptr<void> take_data() override { return nullptr; }
  void execute(std::shared_ptr<void> &) override { ++executed; }

  size_t declared = 2;
  rclcpp::GuardCondition conditions[2];
  size_t slots[2] = {0, 0};
  std::vector<bool> seen;
  int executed = 0;
};

TEST_F(ExecutorTest, WaitSetKeepsOnlyTheTriggeredGuardConditionsAndEachTriggerCountsOnce)
{
  ServedWaitable<TwoConditions> served("two_conditions");
  auto & waitable = served.waitable;
  auto & executor = served.executor;

  waitable->conditions[1].trigger();
  executor.spin_once(5s);
  EXPECT_EQ(waitable->seen, (std::vector<bool>{false, true}));
  EXPECT_EQ(waitable->executed, 1);

  // The trigger was taken by the wait above: nothing is left for the next one.
  executor.spin_some();
  EXPECT_EQ(waitable->seen, (std::vector<bool>{false, false}));
  EXPECT_EQ(waitable->executed, 1);

  // A trigger from another thread ends a wait.
  executor.spin_once(1ms);  // lets go of the notice that the node was added, if still pending
  std::thread trigger([&] { waitable->conditions[0].trigger(); });
  const auto start = std::chrono::steady_clock::now();
  executor.spin_once(5s);
  trigger.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 4s) << "the trigger did not end the wait";
  EXPECT_EQ(waitable->seen, (std::vector<bool>{true, false}));
  EXPECT_EQ(waitable->executed, 2);
}

TEST_F(ExecutorTest, WaitSetRefusesWhatAWaitableDidNotCount)
{
  ServedWaitable<TwoConditions> served("miscounted");
  auto & node = served.node;
  auto & waitable = served.waitable;
  auto & executor = served.executor;
  waitable->declared = 1;
  try {
    executor.spin_some();
    ADD_FAILURE() << "a wait set without room accepted a guard condition";
  } catch (const std::runtime_error & error) {
    EXPECT_STREQ(error.what(), "add failed with 902");  // RCL_RET_WAIT_SET_FULL
  }

  // GuardCondition::add_to_wait_set turns the same refusal into an RCLError.
  struct Uncounted : Mailbox
  {
    size_t get_number_of_ready_guard_conditions() override { return 0; }
  };
  auto uncounted = std::make_shared<Uncounted>();
  node->get_node_waitables_interface()->remove_waitable(waitable, nullptr);
  node->get_node_waitables_interface()->add_waitable(uncounted, nullptr);
  try {
    executor.spin_some();
    ADD_FAILURE() << "a wait set without room accepted a guard condition";
  } catch (const rclcpp::exceptions::RCLError & error) {
    EXPECT_EQ(error.ret, RCL_RET_WAIT_SET_FULL);
    EXPECT_THAT(
      error.what(), testing::StartsWith(
                      "failed to add guard condition to wait set: guard_conditions set is full"));
  }
}

TEST_F(ExecutorTest, GuardConditionStaysWithTheFirstWaitSetItWasAddedTo)
{
  ServedWaitable<Mailbox> served("pinned");
  served.waitable->post(1);
  served.executor.spin_some();
  EXPECT_EQ(served.waitable->values, (std::vector<int>{1}));
  served.executor.remove_node(served.node);
  rclcpp::executors::SingleThreadedExecutor second;
  second.add_node(served.node);
  try {
    second.spin_some();
    ADD_FAILURE() << "the guard condition joined a second wait set";
  } catch (const std::runtime_error & error) {
    EXPECT_STREQ(error.what(), "guard condition has already been added to a wait set.");
  }
}

}  // namespace

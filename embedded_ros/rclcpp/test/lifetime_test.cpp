#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "rclcpp/rclcpp.hpp"
#include "ros_fixture.hpp"
#include "std_msgs/msg/int32.hpp"
#include "std_srvs/srv/trigger.hpp"

namespace
{

using namespace std::chrono_literals;
using std_msgs::msg::Int32;
using std_srvs::srv::Trigger;

class LifetimeTest : public RosTest
{
};

TEST_F(LifetimeTest, EntitiesDestroyedWhileExecutorSpins)
{
  auto node = std::make_shared<rclcpp::Node>("churn");
  rclcpp::executors::MultiThreadedExecutor executor(rclcpp::ExecutorOptions(), 2);
  executor.add_node(node);
  std::thread spinner([&] { executor.spin(); });
  auto publisher = node->create_publisher<Int32>("churn", 10);
  Event received;
  int count = 0;
  for (int round = 0; round < 50; ++round) {
    auto subscription = node->create_subscription<Int32>(
      "churn", 10, [&](const Int32 &) { received.notify([&] { ++count; }); });
    auto timer = node->create_wall_timer(1ms, [] {});
    publisher->publish(Int32());
    if (round % 10 == 0) {
      EXPECT_TRUE(received.wait_for([&] { return count > 0; }));
    }
  }  // subscriptions and timers die here while the executor may be using them
  executor.cancel();
  spinner.join();
  EXPECT_GT(count, 0);
}

TEST_F(LifetimeTest, ClientDestroyedWithRequestInFlight)
{
  auto server_node = std::make_shared<rclcpp::Node>("server");
  int served = 0;
  auto service = server_node->create_service<Trigger>(
    "slow",
    [&served](std::shared_ptr<Trigger::Request>, std::shared_ptr<Trigger::Response> response) {
      response->success = true;
      ++served;
    });
  {
    auto client_node = std::make_shared<rclcpp::Node>("client");
    auto client = client_node->create_client<Trigger>("/slow");
    client->async_send_request(std::make_shared<Trigger::Request>());
  }
  // The response goes to a client that no longer exists; the server must not mind.
  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(server_node);
  executor.spin_all(100ms);
  EXPECT_EQ(served, 1);
}

TEST_F(LifetimeTest, NodeDestroyedAfterExecutorKeepsExecutorUsable)
{
  rclcpp::executors::SingleThreadedExecutor executor;
  {
    auto node = std::make_shared<rclcpp::Node>("short_lived");
    executor.add_node(node);
  }
  executor.spin_some();
  auto node = std::make_shared<rclcpp::Node>("next");
  int ticks = 0;
  auto timer = node->create_wall_timer(1ms, [&] { ++ticks; });
  executor.add_node(node);
  EXPECT_EQ(
    executor.spin_until_future_complete(std::async(std::launch::deferred, [] {}), 10ms),
    rclcpp::FutureReturnCode::TIMEOUT);
  EXPECT_GT(ticks, 0);
}

TEST_F(LifetimeTest, ExecutorDestroyedReleasesNodeForAnother)
{
  auto node = std::make_shared<rclcpp::Node>("handed_over");
  {
    rclcpp::executors::SingleThreadedExecutor first;
    first.add_node(node);
  }
  rclcpp::executors::SingleThreadedExecutor second;
  EXPECT_NO_THROW(second.add_node(node));
}

class IdleWaitable : public rclcpp::Waitable
{
public:
  void add_to_wait_set(rcl_wait_set_t *) override {}
  bool is_ready(rcl_wait_set_t *) override { return false; }
  std::shared_ptr<void> take_data() override { return nullptr; }
  void execute(std::shared_ptr<void> &) override {}
};

TEST_F(LifetimeTest, WaitableLastHeldByAnExecutorScanLeavesItsGroupOnDestruction)
{
  auto node = std::make_shared<rclcpp::Node>("self_removing");
  auto waitables = node->get_node_waitables_interface();
  std::shared_ptr<rclcpp::Waitable> waitable(new IdleWaitable, [waitables](rclcpp::Waitable * raw) {
    waitables->remove_waitable(
      std::shared_ptr<rclcpp::Waitable>(raw, [](rclcpp::Waitable *) {}), nullptr);
    delete raw;
  });
  waitables->add_waitable(waitable, nullptr);
  auto group = node->get_node_base_interface()->get_default_callback_group();

  // The owner lets go while a scan holds the only strong reference, as an executor's scan does
  // when another thread drops an action server.
  auto scanned = std::make_shared<std::promise<void>>();
  auto done = scanned->get_future();
  std::thread([group, scanned, &waitable] {
    group->collect_all_ptrs(
      [](const rclcpp::SubscriptionBase::SharedPtr &) {},
      [](const rclcpp::ServiceBase::SharedPtr &) {}, [](const rclcpp::ClientBase::SharedPtr &) {},
      [](const rclcpp::TimerBase::SharedPtr &) {},
      [&waitable](const rclcpp::Waitable::SharedPtr &) { waitable.reset(); });
    scanned->set_value();
  }).detach();
  EXPECT_EQ(done.wait_for(5s), std::future_status::ready) << "the scan deadlocked on its group";
  EXPECT_EQ(waitable, nullptr);
}

TEST_F(LifetimeTest, PrivateServiceNamesAndSpinUntilFutureInMultiThreadedExecutor)
{
  auto node = std::make_shared<rclcpp::Node>("private_names", "/ns");
  auto service = node->create_service<Trigger>(
    "~/ping", [](std::shared_ptr<Trigger::Request>, std::shared_ptr<Trigger::Response> response) {
      response->message = "pong";
    });
  EXPECT_STREQ(service->get_service_name(), "/ns/private_names/ping");
  auto client = node->create_client<Trigger>("/ns/private_names/ping");
  auto future = client->async_send_request(std::make_shared<Trigger::Request>());
  rclcpp::executors::MultiThreadedExecutor executor;
  executor.add_node(node);
  ASSERT_EQ(executor.spin_until_future_complete(future, 5s), rclcpp::FutureReturnCode::SUCCESS);
  EXPECT_EQ(future.get()->message, "pong");
}

/// Creates one kind of object on the given context; rcl refuses a bad context through the
/// object's guard condition, and rclcpp puts `prefix` in front of rcl's text.
struct ContextUser
{
  const char * object;
  std::string prefix;
  std::function<void(const rclcpp::Context::SharedPtr &)> create;
};

std::vector<ContextUser> contextUsers()
{
  const std::string guard_prefix = "failed to create guard condition: ";
  return {
    {"guard condition", guard_prefix,
     [](const auto & context) { rclcpp::GuardCondition condition(context); }},
    {"node", guard_prefix,
     [](const auto & context) {
       rclcpp::Node node("needs_context", rclcpp::NodeOptions().context(context));
     }},
    {"single-threaded executor", guard_prefix,
     [](const auto & context) {
       rclcpp::ExecutorOptions options;
       options.context = context;
       rclcpp::executors::SingleThreadedExecutor executor(options);
     }},
    {"multi-threaded executor", guard_prefix,
     [](const auto & context) {
       rclcpp::ExecutorOptions options;
       options.context = context;
       rclcpp::executors::MultiThreadedExecutor executor(options, 2);
     }},
    {"wall timer", "Couldn't initialize rcl timer handle: ", [](const auto & context) {
       rclcpp::WallTimer<std::function<void()>> timer(
         1s, [] {}, context);
     }}};
}

TEST(ContextRulesTest, ObjectsRefuseAContextNeverInitialisedOrShutDown)
{
  for (const auto & user : contextUsers()) {
    SCOPED_TRACE(user.object);
    try {
      user.create(std::make_shared<rclcpp::Context>());
      ADD_FAILURE() << "created before init";
    } catch (const rclcpp::exceptions::RCLInvalidArgument & error) {
      EXPECT_EQ(error.what(), user.prefix + "context argument is null");
    }

    auto context = std::make_shared<rclcpp::Context>();
    context->init(0, nullptr);
    EXPECT_NO_THROW(user.create(context));
    context->shutdown("test");
    try {
      user.create(context);
      ADD_FAILURE() << "created after shutdown";
    } catch (const rclcpp::exceptions::RCLError & error) {
      EXPECT_EQ(
        error.what(), user.prefix +
                        "the given context is not valid, either rcl_init() was not called or "
                        "rcl_shutdown() was called.");
    }

    context->init(0, nullptr);
    EXPECT_NO_THROW(user.create(context)) << "a context initialised again is valid";
    context->shutdown("test");
  }
}

TEST(ContextRulesTest, ANodeWhoseContextIsShutDownCreatesNothing)
{
  const std::string node_invalid = ": rcl node's context is invalid";
  const struct
  {
    std::string error;
    std::function<void(rclcpp::Node &)> create;
  } entities[] = {
    {"could not create publisher" + node_invalid,
     [](rclcpp::Node & node) { node.create_publisher<Int32>("late", 1); }},
    {"could not create subscription" + node_invalid,
     [](rclcpp::Node & node) {
       node.create_subscription<Int32>("late", 1, [](Int32::ConstSharedPtr) {});
     }},
    {"could not create service" + node_invalid,
     [](rclcpp::Node & node) {
       node.create_service<Trigger>(
         "late", [](std::shared_ptr<Trigger::Request>, std::shared_ptr<Trigger::Response>) {});
     }},
    {"could not create client" + node_invalid,
     [](rclcpp::Node & node) { node.create_client<Trigger>("late"); }},
    {"Couldn't initialize rcl timer handle: the given context is not valid, either rcl_init() was "
     "not called or rcl_shutdown() was called.",
     [](rclcpp::Node & node) { node.create_wall_timer(1s, [] {}); }},
  };
  for (const auto & entity : entities) {
    auto context = std::make_shared<rclcpp::Context>();
    context->init(0, nullptr);
    rclcpp::Node node("outlives_its_context", rclcpp::NodeOptions().context(context));
    EXPECT_NO_THROW(entity.create(node)) << entity.error;
    context->shutdown("test");
    try {
      entity.create(node);
      ADD_FAILURE() << "created after shutdown: " << entity.error;
    } catch (const rclcpp::exceptions::RCLError & error) {
      EXPECT_EQ(error.what(), entity.error);
    }
  }
}

TEST(ContextRulesTest, GuardConditionCountsTriggersUntilItHasACallback)
{
  auto context = std::make_shared<rclcpp::Context>();
  context->init(0, nullptr);
  rclcpp::GuardCondition condition(context);
  condition.trigger();
  condition.trigger();
  std::vector<size_t> calls;
  condition.set_on_trigger_callback([&calls](size_t count) { calls.push_back(count); });
  condition.trigger();
  EXPECT_EQ(calls, (std::vector<size_t>{2, 1}));
  EXPECT_THROW(rclcpp::GuardCondition(nullptr), std::invalid_argument);
  context->shutdown("test");
}

}  // namespace

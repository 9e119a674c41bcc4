// What an action client sees: server discovery, results asked for late or after they expired,
// goals sent before a server exists, the client's own end, and a node that outlived its context.
#include <gmock/gmock.h>

#include "action_test_fixture.hpp"

using rclcpp_action::ResultCode;
using ::testing::ElementsAre;

TEST_F(ActionTest, WaitForActionServerSeesServerAppear)
{
  EXPECT_FALSE(client_->action_server_is_ready());
  EXPECT_FALSE(client_->wait_for_action_server(std::chrono::milliseconds(0)));
  EXPECT_FALSE(client_->wait_for_action_server(std::chrono::milliseconds(20)));

  std::promise<bool> server_seen;
  std::thread waiter([&] { server_seen.set_value(client_->wait_for_action_server(kWaitLimit)); });
  create_server();
  auto seen = server_seen.get_future();
  EXPECT_TRUE(is_ready_within(seen));
  EXPECT_TRUE(seen.get());
  waiter.join();
  EXPECT_TRUE(client_->action_server_is_ready());

  // The spinning executor may still hold the server for the rest of its scan, as rclcpp's
  // executors do; the server leaves the graph when that last reference goes.
  server_.reset();
  const auto deadline = std::chrono::steady_clock::now() + kWaitLimit;
  while (client_->action_server_is_ready() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
  }
  EXPECT_FALSE(client_->action_server_is_ready());
}

TEST_F(ActionTest, LateResultRequestGetsStoredResult)
{
  create_server();
  auto client_handle = send_goal(3);
  EXPECT_FALSE(client_handle->is_result_aware());
  accepted_goal()->succeed(result_of({0, 1, 1}));

  Mailbox<ResultCode> callbacks;
  auto result_future = client_->async_get_result(
    client_handle,
    [&](const ClientGoalHandle::WrappedResult & result) { callbacks.put(result.code); });
  EXPECT_TRUE(client_handle->is_result_aware());
  ASSERT_TRUE(is_ready_within(result_future));
  EXPECT_EQ(result_future.get().code, ResultCode::SUCCEEDED);
  EXPECT_THAT(result_future.get().result->sequence, ElementsAre(0, 1, 1));
  ASSERT_TRUE(callbacks.wait_for_count(1));
  EXPECT_EQ(callbacks.values()[0], ResultCode::SUCCEEDED);
}

TEST_F(ActionTest, GoalHandleOfAnotherClientIsUnknown)
{
  create_server();
  auto client_handle = send_goal(1);
  auto other_client = rclcpp_action::create_client<Fibonacci>(client_node_, "fibonacci");
  EXPECT_THROW(
    other_client->async_get_result(client_handle),
    rclcpp_action::exceptions::UnknownGoalHandleError);
  EXPECT_THROW(
    other_client->async_cancel_goal(client_handle),
    rclcpp_action::exceptions::UnknownGoalHandleError);
}

TEST_F(ActionTest, ResultExpiresAfterResultTimeout)
{
  auto options = rcl_action_server_get_default_options();
  options.result_timeout.nanoseconds = 0;
  create_server(
    rclcpp_action::GoalResponse::ACCEPT_AND_EXECUTE, rclcpp_action::CancelResponse::ACCEPT,
    options);

  // Asked before the goal ended: answered when it ends, whatever the time-out. The probe's
  // request is queued behind the early one, so its answer shows the early one arrived.
  auto probe_handle = send_goal(1);
  accepted_goal(0)->succeed(result_of({1}));
  auto early_handle = send_goal(2);
  auto early_result = client_->async_get_result(early_handle);
  auto probe_result = client_->async_get_result(probe_handle);
  ASSERT_TRUE(is_ready_within(probe_result));
  accepted_goal(1)->succeed(result_of({2}));
  ASSERT_TRUE(is_ready_within(early_result));
  EXPECT_EQ(early_result.get().code, ResultCode::SUCCEEDED);
  EXPECT_THAT(early_result.get().result->sequence, ElementsAre(2));

  // Asked after the goal ended: the result is gone.
  auto late_handle = send_goal(3);
  accepted_goal(2)->succeed(result_of({3}));
  auto late_result = client_->async_get_result(late_handle);
  ASSERT_TRUE(is_ready_within(late_result));
  EXPECT_EQ(late_result.get().code, ResultCode::UNKNOWN);
  EXPECT_TRUE(late_result.get().result->sequence.empty());
}

TEST_F(ActionTest, DefaultResultTimeoutIsFifteenMinutes)
{
  const auto options = rcl_action_server_get_default_options();
  EXPECT_EQ(options.result_timeout.nanoseconds, 15LL * 60 * 1000000000);
  EXPECT_EQ(options.result_service_qos.depth, 10u);
  EXPECT_EQ(rcl_action_client_get_default_options().status_topic_qos.depth, 1u);
}

TEST_F(ActionTest, GoalSentBeforeServerExistsIsLost)
{
  Fibonacci::Goal goal;
  goal.order = 1;
  auto lost = client_->async_send_goal(goal);

  create_server();
  auto client_handle = send_goal(2);
  ASSERT_NE(client_handle, nullptr);
  ASSERT_TRUE(requested_goals_.wait_for_count(1));
  EXPECT_EQ(requested_goals_.values().size(), 1u);
  EXPECT_EQ(requested_goals_.values()[0], client_handle->get_goal_id());
  EXPECT_EQ(accepted_goal()->get_goal()->order, 2);
  // Goals are served in order: the later goal was answered, the earlier one never will be.
  EXPECT_EQ(lost.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
}

TEST_F(ActionTest, ClientDestroyedWithPendingResultInvalidatesIt)
{
  create_server();
  auto client_handle = send_goal(1);
  auto result_future = client_->async_get_result(client_handle);
  client_.reset();

  ASSERT_TRUE(is_ready_within(result_future));
  EXPECT_THROW(result_future.get(), rclcpp_action::exceptions::UnawareGoalHandleError);
  EXPECT_EQ(client_handle->get_status(), action_msgs::msg::GoalStatus::STATUS_UNKNOWN);
  // The server does not mind a client that went away.
  EXPECT_NO_THROW(accepted_goal()->succeed(result_of({})));
}

TEST_F(ActionTest, GoalsFromManyThreadsAreAllServed)
{
  create_server();
  constexpr int kThreads = 4;
  constexpr int kGoalsPerThread = 10;
  std::vector<std::thread> senders;
  Mailbox<ResultCode> results;
  for (int t = 0; t < kThreads; ++t) {
    senders.emplace_back([&, t] {
      for (int i = 0; i < kGoalsPerThread; ++i) {
        rclcpp_action::Client<Fibonacci>::SendGoalOptions options;
        options.result_callback = [&](const ClientGoalHandle::WrappedResult & result) {
          results.put(result.code);
        };
        Fibonacci::Goal goal;
        goal.order = t * kGoalsPerThread + i;
        client_->async_send_goal(goal, options);
      }
    });
  }
  for (int i = 0; i < kThreads * kGoalsPerThread; ++i) {
    accepted_goal(static_cast<size_t>(i))->succeed(result_of({}));
  }
  for (auto & sender : senders) {
    sender.join();
  }
  ASSERT_TRUE(results.wait_for_count(kThreads * kGoalsPerThread));
  for (ResultCode code : results.values()) {
    EXPECT_EQ(code, ResultCode::SUCCEEDED);
  }
}

TEST(ActionContextTest, ANodeWhoseContextIsShutDownCreatesNoServerOrClient)
{
  auto context = std::make_shared<rclcpp::Context>();
  context->init(0, nullptr);
  auto node =
    std::make_shared<rclcpp::Node>("outlives_its_context", rclcpp::NodeOptions().context(context));
  context->shutdown("test");
  try {
    rclcpp_action::create_server<Fibonacci>(
      node, "late", [](const auto &, auto) { return rclcpp_action::GoalResponse::REJECT; },
      [](auto) { return rclcpp_action::CancelResponse::REJECT; }, [](auto) {});
    ADD_FAILURE() << "server created after shutdown";
  } catch (const rclcpp::exceptions::RCLError & error) {
    EXPECT_STREQ(error.what(), "rcl node's context is invalid");
  }
  try {
    rclcpp_action::create_client<Fibonacci>(node, "late");
    ADD_FAILURE() << "client created after shutdown";
  } catch (const rclcpp::exceptions::RCLError & error) {
    EXPECT_STREQ(
      error.what(), "could not initialize rcl action client: rcl node's context is invalid");
  }
}

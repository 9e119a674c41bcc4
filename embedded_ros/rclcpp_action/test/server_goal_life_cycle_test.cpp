// The goal state machine as a server drives it and a client observes it.
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <action_msgs/srv/cancel_goal.hpp>

#include "action_test_fixture.hpp"

using rclcpp_action::CancelResponse;
using rclcpp_action::GoalResponse;
using rclcpp_action::ResultCode;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using CancelGoal = action_msgs::srv::CancelGoal;

TEST_F(ActionTest, AcceptedGoalExecutesSendsFeedbackAndSucceeds)
{
  create_server();
  Mailbox<std::vector<int32_t>> feedback;
  Mailbox<ClientGoalHandle::WrappedResult> results;
  Mailbox<bool> responses;
  rclcpp_action::Client<Fibonacci>::SendGoalOptions options;
  options.goal_response_callback = [&](ClientGoalHandle::SharedPtr handle) {
    responses.put(handle != nullptr);
  };
  options.feedback_callback =
    [&](ClientGoalHandle::SharedPtr, const std::shared_ptr<const Fibonacci::Feedback> message) {
      feedback.put(message->sequence);
    };
  options.result_callback = [&](const ClientGoalHandle::WrappedResult & result) {
    results.put(result);
  };

  auto client_handle = send_goal(5, options);
  ASSERT_NE(client_handle, nullptr);
  ASSERT_TRUE(responses.wait_for_count(1));
  EXPECT_TRUE(responses.values()[0]);
  EXPECT_TRUE(client_handle->is_feedback_aware());

  auto server_handle = accepted_goal();
  ASSERT_TRUE(executing_when_accepted_.wait_for_count(1));
  EXPECT_TRUE(executing_when_accepted_.values()[0]);  // executing before the accepted callback
  EXPECT_EQ(server_handle->get_goal()->order, 5);
  EXPECT_EQ(server_handle->get_goal_id(), client_handle->get_goal_id());
  EXPECT_TRUE(server_handle->is_active());
  EXPECT_FALSE(server_handle->is_canceling());

  auto message = std::make_shared<Fibonacci::Feedback>();
  message->sequence = {0, 1};
  server_handle->publish_feedback(message);
  ASSERT_TRUE(feedback.wait_for_count(1));
  EXPECT_THAT(feedback.values()[0], ElementsAre(0, 1));

  server_handle->succeed(result_of({0, 1, 1, 2, 3}));
  EXPECT_FALSE(server_handle->is_active());
  EXPECT_FALSE(server_handle->is_executing());
  ASSERT_TRUE(results.wait_for_count(1));
  const auto result = results.values()[0];
  EXPECT_EQ(result.code, ResultCode::SUCCEEDED);
  EXPECT_EQ(result.goal_id, client_handle->get_goal_id());
  EXPECT_THAT(result.result->sequence, ElementsAre(0, 1, 1, 2, 3));
  EXPECT_TRUE(client_handle->is_result_aware());
  EXPECT_EQ(client_handle->get_status(), action_msgs::msg::GoalStatus::STATUS_SUCCEEDED);
}

TEST_F(ActionTest, RejectedGoalYieldsNullHandle)
{
  create_server(GoalResponse::REJECT);
  Mailbox<bool> responses;
  rclcpp_action::Client<Fibonacci>::SendGoalOptions options;
  options.goal_response_callback = [&](ClientGoalHandle::SharedPtr handle) {
    responses.put(handle == nullptr);
  };

  EXPECT_EQ(send_goal(3, options), nullptr);
  ASSERT_TRUE(responses.wait_for_count(1));
  EXPECT_TRUE(responses.values()[0]);
  EXPECT_TRUE(requested_goals_.wait_for_count(1));
  EXPECT_TRUE(accepted_.values().empty());
}

TEST_F(ActionTest, AbortedGoalReportsAbortWithResult)
{
  create_server();
  auto client_handle = send_goal(2);
  auto result_future = client_->async_get_result(client_handle);
  accepted_goal()->abort(result_of({7}));

  ASSERT_TRUE(is_ready_within(result_future));
  EXPECT_EQ(result_future.get().code, ResultCode::ABORTED);
  EXPECT_THAT(result_future.get().result->sequence, ElementsAre(7));
}

TEST_F(ActionTest, DeferredGoalStartsOnExecute)
{
  create_server(GoalResponse::ACCEPT_AND_DEFER);
  send_goal(1);
  auto server_handle = accepted_goal();
  ASSERT_TRUE(executing_when_accepted_.wait_for_count(1));
  EXPECT_FALSE(executing_when_accepted_.values()[0]);
  EXPECT_TRUE(server_handle->is_active());

  server_handle->execute();
  EXPECT_TRUE(server_handle->is_executing());
}

TEST_F(ActionTest, AcceptedCancelMovesGoalToCancelingThenCanceled)
{
  create_server(GoalResponse::ACCEPT_AND_EXECUTE, CancelResponse::ACCEPT);
  auto client_handle = send_goal(4);
  auto server_handle = accepted_goal();
  auto result_future = client_->async_get_result(client_handle);

  auto cancel_future = client_->async_cancel_goal(client_handle);
  ASSERT_TRUE(is_ready_within(cancel_future));
  auto cancel_response = cancel_future.get();
  EXPECT_EQ(cancel_response->return_code, CancelGoal::Response::ERROR_NONE);
  ASSERT_EQ(cancel_response->goals_canceling.size(), 1u);
  EXPECT_EQ(cancel_response->goals_canceling[0].goal_id.uuid, client_handle->get_goal_id());
  EXPECT_TRUE(server_handle->is_canceling());
  EXPECT_TRUE(server_handle->is_active());
  EXPECT_FALSE(server_handle->is_executing());

  server_handle->canceled(result_of({0}));
  ASSERT_TRUE(is_ready_within(result_future));
  EXPECT_EQ(result_future.get().code, ResultCode::CANCELED);
  EXPECT_THAT(result_future.get().result->sequence, ElementsAre(0));
}

TEST_F(ActionTest, RejectedCancelLeavesGoalExecuting)
{
  create_server(GoalResponse::ACCEPT_AND_EXECUTE, CancelResponse::REJECT);
  auto client_handle = send_goal(4);
  auto server_handle = accepted_goal();

  auto cancel_future = client_->async_cancel_goal(client_handle);
  ASSERT_TRUE(is_ready_within(cancel_future));
  EXPECT_EQ(cancel_future.get()->return_code, CancelGoal::Response::ERROR_REJECTED);
  EXPECT_TRUE(cancel_future.get()->goals_canceling.empty());
  EXPECT_TRUE(server_handle->is_executing());
  EXPECT_FALSE(server_handle->is_canceling());
}

TEST_F(ActionTest, CancelOfEndedGoalReportsTerminated)
{
  create_server();
  auto client_handle = send_goal(4);
  accepted_goal()->succeed(result_of({}));

  auto cancel_future = client_->async_cancel_goal(client_handle);
  ASSERT_TRUE(is_ready_within(cancel_future));
  EXPECT_EQ(cancel_future.get()->return_code, CancelGoal::Response::ERROR_GOAL_TERMINATED);
}

TEST_F(ActionTest, CancelAllGoalsCancelsEveryActiveGoal)
{
  create_server();
  send_goal(1);
  send_goal(2);
  auto first = accepted_goal(0);
  auto second = accepted_goal(1);
  second->succeed(result_of({}));

  auto cancel_future = client_->async_cancel_all_goals();
  ASSERT_TRUE(is_ready_within(cancel_future));
  EXPECT_EQ(cancel_future.get()->return_code, CancelGoal::Response::ERROR_NONE);
  ASSERT_EQ(cancel_future.get()->goals_canceling.size(), 1u);
  EXPECT_EQ(cancel_future.get()->goals_canceling[0].goal_id.uuid, first->get_goal_id());
  EXPECT_TRUE(first->is_canceling());
}

TEST_F(ActionTest, InvalidTransitionsThrowWithStateAndEvent)
{
  create_server();
  send_goal(1);
  auto server_handle = accepted_goal();

  try {
    server_handle->canceled(result_of({}));
    FAIL() << "canceled() of an executing goal must throw";
  } catch (const rclcpp::exceptions::RCLError & error) {
    EXPECT_THAT(
      error.what(),
      HasSubstr("goal_handle attempted invalid transition from state EXECUTING with event "
                "CANCELED"));
  }
  EXPECT_TRUE(server_handle->is_executing());

  server_handle->succeed(result_of({}));
  try {
    server_handle->abort(result_of({}));
    FAIL() << "abort() of a succeeded goal must throw";
  } catch (const rclcpp::exceptions::RCLError & error) {
    EXPECT_THAT(
      error.what(),
      HasSubstr("goal_handle attempted invalid transition from state SUCCEEDED with event ABORT"));
  }
  EXPECT_THROW(server_handle->execute(), rclcpp::exceptions::RCLError);
}

TEST_F(ActionTest, DroppedServerGoalHandleCancelsTheGoal)
{
  create_server();
  auto client_handle = send_goal(1);
  auto result_future = client_->async_get_result(client_handle);
  {
    auto server_handle = accepted_goal();
    accepted_.clear();
  }
  ASSERT_TRUE(is_ready_within(result_future));
  EXPECT_EQ(result_future.get().code, ResultCode::CANCELED);
}

TEST_F(ActionTest, GoalHandleOutlivesItsServer)
{
  create_server();
  auto client_handle = send_goal(1);
  auto server_handle = accepted_goal();
  server_.reset();

  EXPECT_NO_THROW(server_handle->publish_feedback(std::make_shared<Fibonacci::Feedback>()));
  EXPECT_NO_THROW(server_handle->succeed(result_of({1})));
  EXPECT_FALSE(server_handle->is_active());
}

// Goal intake, the pending slot and preemption.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "action_server_fixture.hpp"
#include "gate.hpp"

namespace
{

using velmoran::test::Gate;

class SimpleActionServerGoals : public velmoran::test::ActionServerFixture
{
};

TEST_F(SimpleActionServerGoals, RejectsGoalsUntilActivated)
{
  EXPECT_FALSE(server_->is_accepting_goals());
  EXPECT_EQ(sendGoal("early"), nullptr);
  EXPECT_EQ(ros_log_.count(serverLine("Received request for goal acceptance")), 0U);

  server_->activate();
  EXPECT_TRUE(server_->is_accepting_goals());
  const auto goal = sendGoal("first");
  ASSERT_NE(goal, nullptr);
  EXPECT_EQ(resultOf(goal), ResultCode::SUCCEEDED);
  EXPECT_EQ(executedGoals(), std::vector<std::string>{"first"});
  for (const char * message :
       {"Received request for goal acceptance", "Receiving a new goal",
        "Executing goal asynchronously.", "Executing the goal...",
        "Setting succeed on current goal.", "Blocking processing of new goal handles.",
        "Done processing available goals.", "Worker thread done."}) {
    EXPECT_TRUE(ros_log_.waitFor(serverLine(message))) << message;
  }
}

TEST_F(SimpleActionServerGoals, ConstructionLogsTheResultOptions)
{
  server_.reset();
  velmoran::test::AttachedRecordingSink sink;
  server_ = makeServer();
  const auto lines = sink.lines();
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_THAT(
    lines[0].text,
    ::testing::EndsWith(
      "[INFO] [action_name] navigate_to_pose options.result_service_qos.depth is 10"));
  EXPECT_THAT(
    lines[1].text,
    ::testing::EndsWith(
      "[INFO] [action_name] navigate_to_pose options.result_timeout.nanoseconds is 900000000000"));
  EXPECT_EQ(lines[0].file, "./velmoran_nav2_base_class/velmoran_simple_action_server.hpp");
  EXPECT_EQ(lines[0].function, "VelmoranSimpleActionServer");
}

TEST_F(SimpleActionServerGoals, SecondGoalIsParkedAndTakenOverByTheRunningCallback)
{
  server_->activate();
  std::shared_ptr<const Action::Goal> taken;
  bool pending_seen = false;
  onExecute = [&](const std::string & name) {
    if (name == "first") {
      ASSERT_TRUE(ros_log_.waitFor(
        serverLine("An older goal is active, moving the new goal to a pending slot.")));
      pending_seen = server_->is_preemption_pending();
      taken = server_->take_pending_goal();
    }
    server_->succeeded_current();
  };

  const auto first = sendGoal("first");
  ASSERT_TRUE(waitForExecutions(1));
  const auto second = sendGoal("second");
  ASSERT_NE(second, nullptr);

  EXPECT_EQ(resultOf(first), ResultCode::ABORTED);
  EXPECT_EQ(resultOf(second), ResultCode::SUCCEEDED);
  EXPECT_TRUE(pending_seen);
  ASSERT_NE(taken, nullptr);
  EXPECT_EQ(taken->behavior_tree, "second");
  EXPECT_FALSE(server_->is_preemption_pending());
  EXPECT_EQ(executedGoals(), std::vector<std::string>{"first"});
  EXPECT_EQ(ros_log_.count(serverLine("Cancelling the previous goal")), 1U);
  EXPECT_EQ(ros_log_.count(serverLine("Preempted goal")), 1U);
}

TEST_F(SimpleActionServerGoals, ThirdGoalReplacesThePendingOneWhichIsAborted)
{
  server_->activate();
  Gate release;
  onExecute = [&](const std::string & name) {
    if (name == "first") {
      EXPECT_TRUE(release.pass());
    }
    server_->succeeded_current();
  };

  const auto first = sendGoal("first");
  ASSERT_TRUE(waitForExecutions(1));
  const auto second = sendGoal("second");
  const auto third = sendGoal("third");
  EXPECT_EQ(resultOf(second), ResultCode::ABORTED);
  EXPECT_TRUE(ros_log_.waitFor(serverLine(
    "The pending slot is occupied. The previous pending goal will be terminated and replaced.")));
  EXPECT_EQ(ros_log_.count(serverLine("Aborting handle.")), 1U);
  EXPECT_TRUE(server_->is_preemption_pending());

  release.open();
  EXPECT_EQ(resultOf(first), ResultCode::SUCCEEDED);
  EXPECT_EQ(resultOf(third), ResultCode::SUCCEEDED);
  EXPECT_EQ(executedGoals(), (std::vector<std::string>{"first", "third"}));
  EXPECT_TRUE(ros_log_.waitFor(serverLine("Executing a pending handle on the existing thread.")));
}

TEST_F(SimpleActionServerGoals, ReplacedPendingGoalIsCanceledIfItsClientAsked)
{
  server_->activate();
  Gate release;
  onExecute = [&](const std::string & name) {
    if (name == "first") {
      EXPECT_TRUE(release.pass());
    }
    server_->succeeded_current();
  };

  const auto first = sendGoal("first");
  ASSERT_TRUE(waitForExecutions(1));
  const auto second = sendGoal("second");
  EXPECT_TRUE(cancel(second));
  const auto third = sendGoal("third");
  EXPECT_EQ(resultOf(second), ResultCode::CANCELED);
  EXPECT_EQ(ros_log_.count(serverLine("Client requested to cancel the goal. Cancelling.")), 1U);

  release.open();
  EXPECT_EQ(resultOf(first), ResultCode::SUCCEEDED);
  EXPECT_EQ(resultOf(third), ResultCode::SUCCEEDED);
}

TEST_F(SimpleActionServerGoals, CancelRequestedAnswersForThePendingGoal)
{
  server_->activate();
  Gate asked_before;
  Gate cancel_sent;
  bool asked_before_cancel = true;
  bool asked_after_cancel = false;
  bool current_still_canceling_after_take = false;
  onExecute = [&](const std::string &) {
    EXPECT_TRUE(ros_log_.waitFor(
      serverLine("An older goal is active, moving the new goal to a pending slot.")));
    asked_before_cancel = server_->cancel_requested();
    asked_before.open();
    EXPECT_TRUE(cancel_sent.pass());
    asked_after_cancel = server_->cancel_requested();
    server_->take_pending_goal();
    current_still_canceling_after_take = server_->cancel_requested();
    server_->terminate_current();
  };

  const auto first = sendGoal("first");
  ASSERT_TRUE(waitForExecutions(1));
  const auto second = sendGoal("second");
  ASSERT_TRUE(asked_before.pass());
  EXPECT_TRUE(cancel(second));
  cancel_sent.open();

  EXPECT_EQ(resultOf(first), ResultCode::ABORTED);
  EXPECT_EQ(resultOf(second), ResultCode::CANCELED);
  EXPECT_FALSE(asked_before_cancel);
  EXPECT_TRUE(asked_after_cancel);
  EXPECT_TRUE(current_still_canceling_after_take);
}

TEST_F(SimpleActionServerGoals, CanceledRunningGoalEndsCanceled)
{
  server_->activate();
  Gate cancel_sent;
  onExecute = [&](const std::string &) {
    EXPECT_TRUE(cancel_sent.pass());
    if (server_->cancel_requested()) {
      server_->terminate_current();
    }
  };

  const auto goal = sendGoal("goal");
  ASSERT_TRUE(waitForExecutions(1));
  EXPECT_TRUE(cancel(goal));
  cancel_sent.open();
  EXPECT_EQ(resultOf(goal), ResultCode::CANCELED);
}

/// Counts the server's state-change notifications; a waiter sees each one.
class Notifications
{
public:
  void notify()
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++count_;
    cv_.notify_all();
  }

  /// Waits until `count` notifications have come in all; false on time-out.
  bool waitFor(int count)
  {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, std::chrono::seconds(5), [&] { return count_ >= count; });
  }

  int count()
  {
    std::lock_guard<std::mutex> lock(mutex_);
    return count_;
  }

private:
  std::mutex mutex_;
  std::condition_variable cv_;
  int count_{0};
};

TEST_F(SimpleActionServerGoals, NotifiesEachChangeTheExecuteCallbackPollsFor)
{
  auto notifications = std::make_shared<Notifications>();
  server_->set_state_change_callback([notifications] { notifications->notify(); });
  server_->activate();
  EXPECT_EQ(notifications->count(), 0);

  bool parked_goal_seen = false;
  bool cancel_seen_on_its_notification = false;
  Gate second_taken;
  onExecute = [&](const std::string & name) {
    if (name != "first") {
      return;
    }
    // A parked goal: seen as soon as the server says so.
    parked_goal_seen = notifications->waitFor(1) && server_->is_preemption_pending();
    server_->take_pending_goal();
    second_taken.open();
    // An accepted cancel: cancel_requested answers true as soon as the server says so, although
    // rclcpp_action marks the goal canceling only after the server's cancel callback.
    cancel_seen_on_its_notification = notifications->waitFor(2) && server_->cancel_requested();
    server_->terminate_current();
  };

  const auto first = sendGoal("first");
  ASSERT_TRUE(waitForExecutions(1));
  const auto second = sendGoal("second");
  ASSERT_TRUE(second_taken.pass());
  EXPECT_TRUE(cancel(second));
  EXPECT_EQ(resultOf(second), ResultCode::CANCELED);
  EXPECT_EQ(resultOf(first), ResultCode::ABORTED);
  EXPECT_TRUE(parked_goal_seen);
  EXPECT_TRUE(cancel_seen_on_its_notification);
  EXPECT_EQ(notifications->count(), 2);

  // The server going away stops it accepting goals: a running job learns of it the same way.
  server_.reset();
  EXPECT_EQ(notifications->count(), 3);
}

TEST_F(SimpleActionServerGoals, FeedbackReachesTheClientOnlyWhileTheGoalIsActive)
{
  server_->activate();
  onExecute = [&](const std::string &) {
    server_->send_feedback(std::make_shared<Action::Feedback>());
    server_->succeeded_current();
    server_->send_feedback(std::make_shared<Action::Feedback>());
  };

  const auto goal = sendGoal("goal");
  EXPECT_EQ(resultOf(goal), ResultCode::SUCCEEDED);
  // The result can reach the client before the worker has tried the second feedback.
  const std::string refused =
    serverLine("Trying to publish feedback when the current goal handle is not active");
  EXPECT_TRUE(ros_log_.waitFor(refused));
  EXPECT_TRUE(waitForFeedback(1));
  EXPECT_EQ(ros_log_.count(refused), 1U);
}

TEST_F(SimpleActionServerGoals, MisuseWithoutGoalsIsLoggedAndAnsweredEmpty)
{
  server_->activate();
  EXPECT_EQ(server_->current_goal(), nullptr);
  EXPECT_EQ(server_->take_pending_goal(), nullptr);
  EXPECT_FALSE(server_->cancel_requested());
  server_->succeeded_current();
  server_->terminate_current();

  std::vector<std::string> messages;
  for (const auto & line : ros_log_.lines()) {
    if (line.logger == server_node_->get_logger().get_name()) {
      messages.push_back(line.message);
      EXPECT_EQ(line.severity, RCUTILS_LOG_SEVERITY_ERROR);
    }
  }
  EXPECT_EQ(
    messages, (std::vector<std::string>{
                serverLine("A goal is not available or has reached a final state"),
                serverLine("Attempting to get pending goal when not available"),
                serverLine("Checking for cancel but current goal is not available")}));
}

}  // namespace

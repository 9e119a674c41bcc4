// Callbacks that fail, races around the worker and destruction while a goal runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "action_server_fixture.hpp"
#include "gate.hpp"

namespace
{

using velmoran::test::Gate;
using velmoran::test::RosLogLine;

class SimpleActionServerFailures : public velmoran::test::ActionServerFixture
{
protected:
  void setServerLogLevel(int severity)
  {
    rcutils_logging_set_logger_level(server_node_->get_logger().get_name(), severity);
  }
};

TEST_F(SimpleActionServerFailures, GoalLeftActiveByTheCallbackIsAbortedWithoutCompletionCallback)
{
  server_->activate();
  onExecute = [](const std::string &) {};

  const auto goal = sendGoal("forgotten");
  EXPECT_EQ(resultOf(goal), ResultCode::ABORTED);
  EXPECT_TRUE(ros_log_.waitFor(serverLine("Done processing available goals.")));
  EXPECT_EQ(ros_log_.count(serverLine("Current goal was not completed successfully.")), 1U);
  EXPECT_EQ(ros_log_.count(serverLine("Aborting handle.")), 1U);

  // The worker is still there for the next goal.
  onExecute = [this](const std::string &) { server_->succeeded_current(); };
  EXPECT_EQ(resultOf(sendGoal("next")), ResultCode::SUCCEEDED);
}

TEST_F(SimpleActionServerFailures, GoalLeftActiveByTheCallbackCallsTheCompletionCallback)
{
  std::atomic<int> completions{0};
  server_.reset();
  server_ = makeServer([&completions] { ++completions; });
  server_->activate();
  onExecute = [](const std::string &) {};

  EXPECT_EQ(resultOf(sendGoal("forgotten")), ResultCode::ABORTED);
  EXPECT_TRUE(ros_log_.waitFor(serverLine("Worker thread done.")));
  EXPECT_EQ(completions.load(), 1);
}

TEST_F(SimpleActionServerFailures, ThrowingCallbackEndsBothGoalsAndTheWorkerSurvives)
{
  std::atomic<int> completions{0};
  server_.reset();
  server_ = makeServer([&completions] { ++completions; });
  server_->activate();
  onExecute = [this](const std::string & name) {
    if (name == "doomed") {
      EXPECT_TRUE(ros_log_.waitFor(
        serverLine("An older goal is active, moving the new goal to a pending slot.")));
      throw std::runtime_error("planner exploded");
    }
    server_->succeeded_current();
  };

  const auto doomed = sendGoal("doomed");
  ASSERT_TRUE(waitForExecutions(1));
  const auto waiting = sendGoal("waiting");
  EXPECT_EQ(resultOf(doomed), ResultCode::ABORTED);
  EXPECT_EQ(resultOf(waiting), ResultCode::ABORTED);

  const std::string failure =
    "Action server failed while executing action callback: \"planner exploded\"";
  ASSERT_TRUE(ros_log_.waitFor(failure));
  for (const auto & line : ros_log_.lines()) {
    if (line.message == failure) {
      EXPECT_EQ(line.severity, RCUTILS_LOG_SEVERITY_ERROR);
    }
  }
  EXPECT_EQ(ros_log_.count(serverLine("Aborting handle.")), 2U);

  // The next goal runs on a fresh task, after the failed one has called the completion callback.
  EXPECT_EQ(resultOf(sendGoal("after")), ResultCode::SUCCEEDED);
  EXPECT_EQ(completions.load(), 1);
  EXPECT_EQ(executedGoals(), (std::vector<std::string>{"doomed", "after"}));
}

// A goal that arrives after the worker has made its last check of the pending slot, while its task
// has not yet returned, must still be executed without waiting for a further goal.
TEST_F(SimpleActionServerFailures, GoalAcceptedWhileTheWorkerWindsDownIsExecuted)
{
  server_->activate();

  struct LateGoal
  {
    std::string name;
    // Armed by the round's early goal: the worker of the previous round's late goal may log its
    // last line after that goal's result has reached the test, and must not set off this round.
    std::atomic<bool> armed{false};
    Gate handled;
    std::shared_ptr<ClientGoalHandle> handle;
  };
  std::shared_ptr<LateGoal> late;  // set before the round's early goal is sent
  onExecute = [this, &late](const std::string & name) {
    if (name.rfind("late", 0) == 0) {
      EXPECT_TRUE(server_->cancel_requested());
      server_->terminate_current();
    } else {
      late->armed = true;
      server_->succeeded_current();
    }
  };

  for (int round = 0; round < 20; ++round) {
    late = std::make_shared<LateGoal>();
    late->name = "late " + std::to_string(round);
    ros_log_.setHook([this, late = late](const RosLogLine & line) {
      if (line.message != serverLine("Worker thread done.") || !late->armed.exchange(false)) {
        return;
      }
      // Still on the worker, which holds the log output until this returns: silence the
      // server's debug lines so that its spin thread can go on meanwhile.
      setServerLogLevel(RCUTILS_LOG_SEVERITY_INFO);
      late->handle = sendGoal(late->name);
      // The spin thread answers the cancel request only after it has dealt with the new goal.
      EXPECT_TRUE(late->handle != nullptr && cancel(late->handle));
      setServerLogLevel(RCUTILS_LOG_SEVERITY_DEBUG);
      late->handled.open();
    });

    EXPECT_EQ(resultOf(sendGoal("early " + std::to_string(round))), ResultCode::SUCCEEDED);
    ASSERT_TRUE(late->handled.pass());
    ros_log_.setHook(nullptr);
    ASSERT_NE(late->handle, nullptr);
    ASSERT_EQ(resultOf(late->handle), ResultCode::CANCELED) << late->name << " was never executed";
    EXPECT_EQ(executedGoals().back(), late->name);
  }
  EXPECT_EQ(
    ros_log_.count(serverLine("Forgot to handle a preemption. Terminating the pending goal.")), 0U);
}

TEST_F(SimpleActionServerFailures, BackToBackGoalsAreAllExecuted)
{
  server_->activate();
  constexpr int kGoals = 100;
  for (int goal = 0; goal < kGoals; ++goal) {
    ASSERT_EQ(resultOf(sendGoal(std::to_string(goal))), ResultCode::SUCCEEDED) << "goal " << goal;
  }
  EXPECT_EQ(executedGoals().size(), static_cast<std::size_t>(kGoals));
}

TEST_F(SimpleActionServerFailures, DestructionWaitsForTheRunningCallback)
{
  server_->activate();
  Server * const server = server_.get();
  Gate destroying;
  std::atomic<bool> saw_destruction{false};
  std::atomic<bool> callback_finished{false};
  onExecute = [&](const std::string &) {
    EXPECT_TRUE(destroying.pass());
    // The destructor stops taking goals first, then waits for this callback.
    const auto deadline = std::chrono::steady_clock::now() + kTimeout;
    while (server->is_accepting_goals() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::yield();
    }
    saw_destruction = !server->is_accepting_goals();
    server->send_feedback(std::make_shared<Action::Feedback>());
    server->succeeded_current();
    callback_finished = true;
  };

  const auto goal = sendGoal("goal");
  ASSERT_TRUE(waitForExecutions(1));
  std::unique_ptr<Server> doomed = std::move(server_);
  std::thread destroyer([&] {
    destroying.open();
    doomed.reset();
    EXPECT_TRUE(callback_finished);
  });
  destroyer.join();
  EXPECT_TRUE(saw_destruction);
}

}  // namespace

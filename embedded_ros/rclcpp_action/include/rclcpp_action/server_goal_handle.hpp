// The server's handle on one accepted goal.
#ifndef RCLCPP_ACTION__SERVER_GOAL_HANDLE_HPP_
#define RCLCPP_ACTION__SERVER_GOAL_HANDLE_HPP_

#include <functional>
#include <memory>
#include <utility>

#include <action_msgs/msg/goal_status.hpp>
#include <rclcpp/macros.hpp>

#include "rclcpp_action/detail/goal_handle_state.hpp"
#include "rclcpp_action/types.hpp"

namespace rclcpp_action
{
template <typename ActionT>
class Server;

/// State queries and transitions of a goal, independent of the action type.
class ServerGoalHandleBase
{
public:
  /// True after a cancel request was accepted and until the goal ends.
  bool is_canceling() const;
  /// True until the goal reached a terminal state.
  bool is_active() const;
  /// True while the goal executes (not when accepted but deferred, nor when canceling).
  bool is_executing() const;

  virtual ~ServerGoalHandleBase();

protected:
  explicit ServerGoalHandleBase(std::shared_ptr<detail::GoalHandleState> state)
  : state_(std::move(state))
  {
  }

  // Each throws rclcpp::exceptions::RCLError on a transition the goal state machine forbids.
  void _abort();
  void _succeed();
  void _cancel_goal();
  void _canceled();
  void _execute();

  /// Moves an active goal to CANCELED; false when it had ended already.
  bool try_canceling() noexcept;

private:
  std::shared_ptr<detail::GoalHandleState> state_;
};

/// Created by the server for each accepted goal and given to the accepted callback. It ends
/// the goal (succeed, abort, canceled) and publishes feedback. A handle dropped while its goal
/// is still active cancels the goal.
template <typename ActionT>
class ServerGoalHandle : public ServerGoalHandleBase
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS_NOT_COPYABLE(ServerGoalHandle)

  void publish_feedback(std::shared_ptr<typename ActionT::Feedback> feedback_msg)
  {
    auto feedback_message = std::make_shared<typename ActionT::Impl::FeedbackMessage>();
    feedback_message->goal_id.uuid = uuid_;
    feedback_message->feedback = *feedback_msg;
    publish_feedback_(feedback_message);
  }

  /// Ends the goal as aborted (from EXECUTING or CANCELING) and sends `result_msg`.
  void abort(typename ActionT::Result::SharedPtr result_msg)
  {
    _abort();
    terminate(action_msgs::msg::GoalStatus::STATUS_ABORTED, result_msg);
  }

  /// Ends the goal as succeeded (from EXECUTING or CANCELING) and sends `result_msg`.
  void succeed(typename ActionT::Result::SharedPtr result_msg)
  {
    _succeed();
    terminate(action_msgs::msg::GoalStatus::STATUS_SUCCEEDED, result_msg);
  }

  /// Ends the goal as canceled (from CANCELING only) and sends `result_msg`.
  void canceled(typename ActionT::Result::SharedPtr result_msg)
  {
    _canceled();
    terminate(action_msgs::msg::GoalStatus::STATUS_CANCELED, result_msg);
  }

  /// Starts a goal that was accepted with ACCEPT_AND_DEFER.
  void execute()
  {
    _execute();
    on_executing_(uuid_);
  }

  const std::shared_ptr<const typename ActionT::Goal> get_goal() const { return goal_; }

  const GoalUUID & get_goal_id() const { return uuid_; }

  ~ServerGoalHandle() override
  {
    if (try_canceling()) {
      auto null_result = std::make_shared<typename ActionT::Impl::GetResultService::Response>();
      null_result->status = action_msgs::msg::GoalStatus::STATUS_CANCELED;
      on_terminal_state_(uuid_, null_result);
    }
  }

protected:
  ServerGoalHandle(
    std::shared_ptr<detail::GoalHandleState> state, GoalUUID uuid,
    std::shared_ptr<const typename ActionT::Goal> goal,
    std::function<void(const GoalUUID &, std::shared_ptr<void>)> on_terminal_state,
    std::function<void(const GoalUUID &)> on_executing,
    std::function<void(std::shared_ptr<typename ActionT::Impl::FeedbackMessage>)> publish_feedback)
  : ServerGoalHandleBase(std::move(state)),
    goal_(std::move(goal)),
    uuid_(uuid),
    on_terminal_state_(std::move(on_terminal_state)),
    on_executing_(std::move(on_executing)),
    publish_feedback_(std::move(publish_feedback))
  {
  }

  const std::shared_ptr<const typename ActionT::Goal> goal_;
  const GoalUUID uuid_;

  friend Server<ActionT>;

  std::function<void(const GoalUUID &, std::shared_ptr<void>)> on_terminal_state_;
  std::function<void(const GoalUUID &)> on_executing_;
  std::function<void(std::shared_ptr<typename ActionT::Impl::FeedbackMessage>)> publish_feedback_;

private:
  void terminate(int8_t status, const typename ActionT::Result::SharedPtr & result_msg)
  {
    auto response = std::make_shared<typename ActionT::Impl::GetResultService::Response>();
    response->status = status;
    if (result_msg) {
      response->result = *result_msg;
    }
    on_terminal_state_(uuid_, response);
  }
};

}  // namespace rclcpp_action

#endif  // RCLCPP_ACTION__SERVER_GOAL_HANDLE_HPP_

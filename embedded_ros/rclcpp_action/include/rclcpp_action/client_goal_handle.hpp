// The client's handle on one goal that its server accepted.
#ifndef RCLCPP_ACTION__CLIENT_GOAL_HANDLE_HPP_
#define RCLCPP_ACTION__CLIENT_GOAL_HANDLE_HPP_

#include <exception>
#include <functional>
#include <future>
#include <memory>
#include <mutex>

#include <action_msgs/msg/goal_status.hpp>
#include <rclcpp/logger.hpp>
#include <rclcpp/logging.hpp>
#include <rclcpp/macros.hpp>
#include <rclcpp/time.hpp>

#include "rclcpp_action/exceptions.hpp"
#include "rclcpp_action/types.hpp"

namespace rclcpp_action
{
/// How a goal ended.
enum class ResultCode : int8_t {
  UNKNOWN = action_msgs::msg::GoalStatus::STATUS_UNKNOWN,
  SUCCEEDED = action_msgs::msg::GoalStatus::STATUS_SUCCEEDED,
  CANCELED = action_msgs::msg::GoalStatus::STATUS_CANCELED,
  ABORTED = action_msgs::msg::GoalStatus::STATUS_ABORTED
};

template <typename ActionT>
class Client;

/// Status, feedback and result of one goal, as its client learns them. Created by the client
/// when the goal is accepted.
template <typename ActionT>
class ClientGoalHandle
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS_NOT_COPYABLE(ClientGoalHandle)

  struct WrappedResult
  {
    GoalUUID goal_id;
    ResultCode code;
    typename ActionT::Result::SharedPtr result;
  };

  using Feedback = typename ActionT::Feedback;
  using Result = typename ActionT::Result;
  using FeedbackCallback = std::function<void(
    typename ClientGoalHandle<ActionT>::SharedPtr, const std::shared_ptr<const Feedback>)>;
  using ResultCallback = std::function<void(const WrappedResult & result)>;

  virtual ~ClientGoalHandle() = default;

  const GoalUUID & get_goal_id() const { return info_.goal_id.uuid; }

  /// When the server accepted the goal.
  rclcpp::Time get_goal_stamp() const { return info_.stamp; }

  /// The last status the client learned (GoalStatus::STATUS_*).
  int8_t get_status()
  {
    std::lock_guard<std::mutex> guard(handle_mutex_);
    return status_;
  }

  bool is_feedback_aware()
  {
    std::lock_guard<std::mutex> guard(handle_mutex_);
    return feedback_callback_ != nullptr;
  }

  /// True once the client asked the server for this goal's result.
  bool is_result_aware()
  {
    std::lock_guard<std::mutex> guard(handle_mutex_);
    return is_result_aware_;
  }

private:
  friend Client<ActionT>;

  ClientGoalHandle(
    const GoalInfo & info, FeedbackCallback feedback_callback, ResultCallback result_callback)
  : info_(info),
    result_future_(result_promise_.get_future()),
    feedback_callback_(std::move(feedback_callback)),
    result_callback_(std::move(result_callback))
  {
  }

  void set_feedback_callback(FeedbackCallback callback)
  {
    std::lock_guard<std::mutex> guard(handle_mutex_);
    feedback_callback_ = std::move(callback);
  }

  void set_result_callback(ResultCallback callback)
  {
    std::lock_guard<std::mutex> guard(handle_mutex_);
    result_callback_ = std::move(callback);
  }

  void call_feedback_callback(
    typename ClientGoalHandle<ActionT>::SharedPtr shared_this,
    typename std::shared_ptr<const Feedback> feedback_message)
  {
    if (shared_this.get() != this) {
      RCLCPP_ERROR(rclcpp::get_logger("rclcpp_action"), "Sent feedback to wrong goal handle.");
      return;
    }
    FeedbackCallback callback;
    {
      std::lock_guard<std::mutex> guard(handle_mutex_);
      callback = feedback_callback_;
    }
    if (!callback) {
      // Feedback may still arrive after the result; nobody asked for it then.
      RCLCPP_DEBUG(rclcpp::get_logger("rclcpp_action"), "Received feedback but goal ignores it.");
      return;
    }
    callback(shared_this, feedback_message);
  }

  /// Throws exceptions::UnawareGoalHandleError when the client never asked for the result.
  std::shared_future<WrappedResult> async_get_result()
  {
    std::lock_guard<std::mutex> guard(handle_mutex_);
    if (!is_result_aware_) {
      throw exceptions::UnawareGoalHandleError();
    }
    return result_future_;
  }

  /// Returns the previous awareness.
  bool set_result_awareness(bool awareness)
  {
    std::lock_guard<std::mutex> guard(handle_mutex_);
    const bool previous = is_result_aware_;
    is_result_aware_ = awareness;
    return previous;
  }

  void set_status(int8_t status)
  {
    std::lock_guard<std::mutex> guard(handle_mutex_);
    status_ = status;
  }

  void set_result(const WrappedResult & wrapped_result)
  {
    ResultCallback callback;
    {
      std::lock_guard<std::mutex> guard(handle_mutex_);
      if (result_set_ || invalidate_exception_) {
        return;
      }
      result_set_ = true;
      status_ = static_cast<int8_t>(wrapped_result.code);
      result_promise_.set_value(wrapped_result);
      callback = result_callback_;
    }
    if (callback) {
      callback(wrapped_result);
    }
  }

  /// The result will never come: the future holds `ex` from now on.
  void invalidate(const exceptions::UnawareGoalHandleError & ex)
  {
    std::lock_guard<std::mutex> guard(handle_mutex_);
    if (invalidate_exception_ || result_set_) {
      return;
    }
    is_result_aware_ = false;
    invalidate_exception_ = std::make_exception_ptr(ex);
    status_ = action_msgs::msg::GoalStatus::STATUS_UNKNOWN;
    result_promise_.set_exception(invalidate_exception_);
  }

  bool is_invalidated() const
  {
    std::lock_guard<std::mutex> guard(handle_mutex_);
    return invalidate_exception_ != nullptr;
  }

  std::exception_ptr invalidate_exception() const
  {
    std::lock_guard<std::mutex> guard(handle_mutex_);
    return invalidate_exception_;
  }

  const GoalInfo info_;
  std::exception_ptr invalidate_exception_{nullptr};
  bool is_result_aware_{false};
  bool result_set_{false};
  std::promise<WrappedResult> result_promise_;
  std::shared_future<WrappedResult> result_future_;
  FeedbackCallback feedback_callback_{nullptr};
  ResultCallback result_callback_{nullptr};
  int8_t status_{action_msgs::msg::GoalStatus::STATUS_ACCEPTED};
  mutable std::mutex handle_mutex_;
};

}  // namespace rclcpp_action

#endif  // RCLCPP_ACTION__CLIENT_GOAL_HANDLE_HPP_

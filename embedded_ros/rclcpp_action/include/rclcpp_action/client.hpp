// Action clients: send goals, follow their feedback and status, ask for results and cancel.
#ifndef RCLCPP_ACTION__CLIENT_HPP_
#define RCLCPP_ACTION__CLIENT_HPP_

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <rcl_action/action_client.h>
#include <action_msgs/msg/goal_status_array.hpp>
#include <action_msgs/srv/cancel_goal.hpp>
#include <rclcpp/client.hpp>
#include <rclcpp/exceptions.hpp>
#include <rclcpp/logger.hpp>
#include <rclcpp/logging.hpp>
#include <rclcpp/macros.hpp>
#include <rclcpp/node_interfaces/node_base_interface.hpp>
#include <rclcpp/node_interfaces/node_graph_interface.hpp>
#include <rclcpp/node_interfaces/node_logging_interface.hpp>
#include <rclcpp/qos.hpp>
#include <rclcpp/subscription.hpp>
#include <rclcpp/time.hpp>
#include <rclcpp/waitable.hpp>

#include "rclcpp_action/client_goal_handle.hpp"
#include "rclcpp_action/exceptions.hpp"
#include "rclcpp_action/types.hpp"

namespace rclcpp_action
{
class ClientBaseImpl;

/// The type-independent part of an action client: its endpoints, the readiness of the action
/// server and the dispatch of responses and messages. Use rclcpp_action::Client<> instead.
class ClientBase : public rclcpp::Waitable
{
public:
  ~ClientBase() override;

  /// True when the server's goal, cancel and result services and its feedback and status
  /// topics are all there.
  bool action_server_is_ready() const;

  /// Waits until the action server is ready; false on time-out or when ROS shuts down. A
  /// negative time-out waits without limit.
  template <typename RepT = int64_t, typename RatioT = std::milli>
  bool wait_for_action_server(
    std::chrono::duration<RepT, RatioT> timeout = std::chrono::duration<RepT, RatioT>(-1))
  {
    return wait_for_action_server_nanoseconds(
      std::chrono::duration_cast<std::chrono::nanoseconds>(timeout));
  }

  /// One guard condition, triggered by every response and message that arrives.
  size_t get_number_of_ready_guard_conditions() override;
  void add_to_wait_set(rcl_wait_set_t * wait_set) override;
  /// True while a response or message waits.
  bool is_ready(rcl_wait_set_t * wait_set) override;
  std::shared_ptr<void> take_data() override;
  void execute(std::shared_ptr<void> & data) override;

protected:
  ClientBase(
    rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base,
    rclcpp::node_interfaces::NodeLoggingInterface::SharedPtr node_logging);

  /// Registers the endpoints of the typed client. Their work is taken in this order: goal
  /// responses, feedback, status, result responses, cancel responses, so that a goal's handle
  /// exists before its first feedback and the feedback before the result.
  void set_endpoints(
    rclcpp::ClientBase::SharedPtr goal_client, rclcpp::SubscriptionBase::SharedPtr feedback,
    rclcpp::SubscriptionBase::SharedPtr status, rclcpp::ClientBase::SharedPtr result_client,
    rclcpp::ClientBase::SharedPtr cancel_client);

  bool wait_for_action_server_nanoseconds(std::chrono::nanoseconds timeout);
  rclcpp::Logger get_logger() const;
  /// A random goal ID.
  GoalUUID generate_goal_id();

private:
  std::unique_ptr<ClientBaseImpl> pimpl_;
};

/// An action client for `ActionT`; create it with rclcpp_action::create_client(). Responses,
/// feedback and status are processed by the executor that spins the client's callback group.
template <typename ActionT>
class Client : public ClientBase
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS_NOT_COPYABLE(Client<ActionT>)

  using Goal = typename ActionT::Goal;
  using Feedback = typename ActionT::Feedback;
  using GoalHandle = ClientGoalHandle<ActionT>;
  using WrappedResult = typename GoalHandle::WrappedResult;
  using GoalResponseCallback = std::function<void(typename GoalHandle::SharedPtr)>;
  using FeedbackCallback = typename GoalHandle::FeedbackCallback;
  using ResultCallback = typename GoalHandle::ResultCallback;
  using CancelRequest = typename ActionT::Impl::CancelGoalService::Request;
  using CancelResponse = typename ActionT::Impl::CancelGoalService::Response;
  using CancelCallback = std::function<void(typename CancelResponse::SharedPtr)>;

  /// Callbacks of one goal. The goal response callback gets null when the goal was rejected;
  /// setting a result callback makes the client ask for the result at once.
  struct SendGoalOptions
  {
    GoalResponseCallback goal_response_callback;
    FeedbackCallback feedback_callback;
    ResultCallback result_callback;
  };

  Client(
    rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base,
    rclcpp::node_interfaces::NodeGraphInterface::SharedPtr node_graph,
    rclcpp::node_interfaces::NodeLoggingInterface::SharedPtr node_logging,
    const std::string & action_name,
    const rcl_action_client_options_t & client_options = rcl_action_client_get_default_options())
  : ClientBase(node_base, node_logging)
  {
    auto qos = [](const rmw_qos_profile_t & profile) {
      return rclcpp::QoS(rclcpp::QoSInitialization::from_rmw(profile), profile);
    };
    goal_client_ = std::make_shared<GoalClient>(
      node_base.get(), node_graph, action_name + "/_action/send_goal",
      qos(client_options.goal_service_qos));
    result_client_ = std::make_shared<ResultClient>(
      node_base.get(), node_graph, action_name + "/_action/get_result",
      qos(client_options.result_service_qos));
    cancel_client_ = std::make_shared<CancelClient>(
      node_base.get(), node_graph, action_name + "/_action/cancel_goal",
      qos(client_options.cancel_service_qos));
    feedback_subscription_ = std::make_shared<rclcpp::Subscription<FeedbackMessage>>(
      node_base.get(), action_name + "/_action/feedback", qos(client_options.feedback_topic_qos),
      [this](const std::shared_ptr<const FeedbackMessage> & message) {
        handle_feedback_message(message);
      },
      rclcpp::SubscriptionOptions());
    status_subscription_ = std::make_shared<rclcpp::Subscription<GoalStatusMessage>>(
      node_base.get(), action_name + "/_action/status", qos(client_options.status_topic_qos),
      [this](const std::shared_ptr<const GoalStatusMessage> & message) {
        handle_status_message(message);
      },
      rclcpp::SubscriptionOptions());
    set_endpoints(
      goal_client_, feedback_subscription_, status_subscription_, result_client_, cancel_client_);
  }

  /// Sends a goal. The future yields the goal handle once the server accepted the goal, or null
  /// when it rejected it. A goal sent while no server exists is lost, as in ROS 2: wait for
  /// the server first.
  std::shared_future<typename GoalHandle::SharedPtr> async_send_goal(
    const Goal & goal, const SendGoalOptions & options = SendGoalOptions())
  {
    auto promise = std::make_shared<std::promise<typename GoalHandle::SharedPtr>>();
    std::shared_future<typename GoalHandle::SharedPtr> future(promise->get_future());
    auto goal_request = std::make_shared<GoalRequest>();
    goal_request->goal_id.uuid = this->generate_goal_id();
    goal_request->goal = goal;
    goal_client_->async_send_request(
      goal_request,
      [this, goal_request, options, promise](typename GoalClient::SharedFuture response_future) {
        handle_goal_response(*goal_request, response_future.get(), options, *promise);
      });
    forget_released_goal_handles();
    return future;
  }

  /// Asks for the result of a goal this client sent (again, with a new callback). Throws
  /// exceptions::UnknownGoalHandleError for a goal the client does not know or whose result it
  /// received already.
  std::shared_future<WrappedResult> async_get_result(
    typename GoalHandle::SharedPtr goal_handle, ResultCallback result_callback = nullptr)
  {
    std::lock_guard<std::mutex> lock(goal_handles_mutex_);
    if (goal_handles_.count(goal_handle->get_goal_id()) == 0) {
      throw exceptions::UnknownGoalHandleError();
    }
    if (goal_handle->is_invalidated()) {
      std::rethrow_exception(goal_handle->invalidate_exception());
    }
    if (result_callback) {
      goal_handle->set_result_callback(result_callback);
    }
    make_result_aware(goal_handle);
    return goal_handle->async_get_result();
  }

  /// Asks the server to cancel one goal. Throws exceptions::UnknownGoalHandleError for a goal
  /// the client does not know.
  std::shared_future<typename CancelResponse::SharedPtr> async_cancel_goal(
    typename GoalHandle::SharedPtr goal_handle, CancelCallback cancel_callback = nullptr)
  {
    std::lock_guard<std::mutex> lock(goal_handles_mutex_);
    if (goal_handles_.count(goal_handle->get_goal_id()) == 0) {
      throw exceptions::UnknownGoalHandleError();
    }
    auto cancel_request = std::make_shared<CancelRequest>();
    cancel_request->goal_info.goal_id.uuid = goal_handle->get_goal_id();
    return async_cancel(cancel_request, cancel_callback);
  }

  /// Asks the server to cancel all its goals, of any client.
  std::shared_future<typename CancelResponse::SharedPtr> async_cancel_all_goals(
    CancelCallback cancel_callback = nullptr)
  {
    auto cancel_request = std::make_shared<CancelRequest>();
    std::fill(
      cancel_request->goal_info.goal_id.uuid.begin(), cancel_request->goal_info.goal_id.uuid.end(),
      0u);
    return async_cancel(cancel_request, cancel_callback);
  }

  /// Asks the server to cancel every goal it accepted at or before `stamp`.
  std::shared_future<typename CancelResponse::SharedPtr> async_cancel_goals_before(
    const rclcpp::Time & stamp, CancelCallback cancel_callback = nullptr)
  {
    auto cancel_request = std::make_shared<CancelRequest>();
    std::fill(
      cancel_request->goal_info.goal_id.uuid.begin(), cancel_request->goal_info.goal_id.uuid.end(),
      0u);
    cancel_request->goal_info.stamp = stamp;
    return async_cancel(cancel_request, cancel_callback);
  }

  ~Client() override
  {
    std::lock_guard<std::mutex> guard(goal_handles_mutex_);
    for (auto & entry : goal_handles_) {
      if (auto goal_handle = entry.second.lock()) {
        goal_handle->invalidate(exceptions::UnawareGoalHandleError());
      }
    }
    goal_handles_.clear();
  }

private:
  using GoalRequest = typename ActionT::Impl::SendGoalService::Request;
  using GoalResponse = typename ActionT::Impl::SendGoalService::Response;
  using ResultRequest = typename ActionT::Impl::GetResultService::Request;
  using ResultResponse = typename ActionT::Impl::GetResultService::Response;
  using FeedbackMessage = typename ActionT::Impl::FeedbackMessage;
  using GoalStatusMessage = typename ActionT::Impl::GoalStatusMessage;
  using GoalClient = rclcpp::Client<typename ActionT::Impl::SendGoalService>;
  using ResultClient = rclcpp::Client<typename ActionT::Impl::GetResultService>;
  using CancelClient = rclcpp::Client<typename ActionT::Impl::CancelGoalService>;

  void handle_goal_response(
    const GoalRequest & goal_request, const std::shared_ptr<GoalResponse> & goal_response,
    const SendGoalOptions & options, std::promise<typename GoalHandle::SharedPtr> & promise)
  {
    if (!goal_response->accepted) {
      promise.set_value(nullptr);
      if (options.goal_response_callback) {
        options.goal_response_callback(nullptr);
      }
      return;
    }
    GoalInfo goal_info;
    goal_info.goal_id.uuid = goal_request.goal_id.uuid;
    goal_info.stamp = goal_response->stamp;
    // Not make_shared: the constructor is private to the client.
    std::shared_ptr<GoalHandle> goal_handle(
      new GoalHandle(goal_info, options.feedback_callback, options.result_callback));
    {
      std::lock_guard<std::mutex> guard(goal_handles_mutex_);
      goal_handles_[goal_handle->get_goal_id()] = goal_handle;
    }
    promise.set_value(goal_handle);
    if (options.goal_response_callback) {
      options.goal_response_callback(goal_handle);
    }
    if (options.result_callback) {
      std::lock_guard<std::mutex> guard(goal_handles_mutex_);
      make_result_aware(goal_handle);
    }
  }

  void handle_feedback_message(const std::shared_ptr<const FeedbackMessage> & feedback_message)
  {
    typename GoalHandle::SharedPtr goal_handle;
    {
      std::lock_guard<std::mutex> guard(goal_handles_mutex_);
      auto entry = goal_handles_.find(feedback_message->goal_id.uuid);
      if (entry == goal_handles_.end()) {
        RCLCPP_DEBUG(get_logger(), "Received feedback for unknown goal. Ignoring...");
        return;
      }
      goal_handle = entry->second.lock();
      if (!goal_handle) {
        RCLCPP_DEBUG(
          get_logger(), "Dropping weak reference to goal handle during feedback callback");
        goal_handles_.erase(entry);
        return;
      }
    }
    auto feedback = std::make_shared<Feedback>(feedback_message->feedback);
    goal_handle->call_feedback_callback(goal_handle, feedback);
  }

  void handle_status_message(const std::shared_ptr<const GoalStatusMessage> & status_message)
  {
    std::lock_guard<std::mutex> guard(goal_handles_mutex_);
    for (const GoalStatus & status : status_message->status_list) {
      auto entry = goal_handles_.find(status.goal_info.goal_id.uuid);
      if (entry == goal_handles_.end()) {
        continue;
      }
      typename GoalHandle::SharedPtr goal_handle = entry->second.lock();
      if (!goal_handle) {
        RCLCPP_DEBUG(get_logger(), "Dropping weak reference to goal handle during status callback");
        goal_handles_.erase(entry);
        continue;
      }
      goal_handle->set_status(status.status);
    }
  }

  /// Sends the result request of a goal once. Caller holds goal_handles_mutex_.
  void make_result_aware(typename GoalHandle::SharedPtr goal_handle)
  {
    if (goal_handle->set_result_awareness(true)) {
      return;
    }
    auto result_request = std::make_shared<ResultRequest>();
    result_request->goal_id.uuid = goal_handle->get_goal_id();
    try {
      result_client_->async_send_request(
        result_request, [goal_handle, this](typename ResultClient::SharedFuture response_future) {
          const std::shared_ptr<ResultResponse> result_response = response_future.get();
          WrappedResult wrapped_result;
          wrapped_result.result =
            std::make_shared<typename ActionT::Result>(result_response->result);
          wrapped_result.goal_id = goal_handle->get_goal_id();
          wrapped_result.code = static_cast<ResultCode>(result_response->status);
          goal_handle->set_result(wrapped_result);
          std::lock_guard<std::mutex> lock(goal_handles_mutex_);
          goal_handles_.erase(goal_handle->get_goal_id());
        });
    } catch (const rclcpp::exceptions::RCLError & ex) {
      goal_handle->invalidate(exceptions::UnawareGoalHandleError(ex.message));
    }
  }

  std::shared_future<typename CancelResponse::SharedPtr> async_cancel(
    typename CancelRequest::SharedPtr cancel_request, CancelCallback cancel_callback)
  {
    auto promise = std::make_shared<std::promise<typename CancelResponse::SharedPtr>>();
    std::shared_future<typename CancelResponse::SharedPtr> future(promise->get_future());
    cancel_client_->async_send_request(
      cancel_request,
      [cancel_callback, promise](typename CancelClient::SharedFuture response_future) {
        auto cancel_response = response_future.get();
        promise->set_value(cancel_response);
        if (cancel_callback) {
          cancel_callback(cancel_response);
        }
      });
    return future;
  }

  /// Goal handles nobody holds any more need no feedback or status.
  void forget_released_goal_handles()
  {
    std::lock_guard<std::mutex> guard(goal_handles_mutex_);
    for (auto entry = goal_handles_.begin(); entry != goal_handles_.end();) {
      if (entry->second.expired()) {
        RCLCPP_DEBUG(get_logger(), "Dropping weak reference to goal handle during send_goal()");
        entry = goal_handles_.erase(entry);
      } else {
        ++entry;
      }
    }
  }

  std::shared_ptr<GoalClient> goal_client_;
  std::shared_ptr<ResultClient> result_client_;
  std::shared_ptr<CancelClient> cancel_client_;
  std::shared_ptr<rclcpp::Subscription<FeedbackMessage>> feedback_subscription_;
  std::shared_ptr<rclcpp::Subscription<GoalStatusMessage>> status_subscription_;

  std::map<GoalUUID, typename GoalHandle::WeakPtr> goal_handles_;
  std::mutex goal_handles_mutex_;
};

}  // namespace rclcpp_action

#endif  // RCLCPP_ACTION__CLIENT_HPP_

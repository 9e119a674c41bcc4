// Action servers: a goal, a cancel and a result service plus feedback and status topics,
// executed as one waitable in the callback group the server was created in.
#ifndef RCLCPP_ACTION__SERVER_HPP_
#define RCLCPP_ACTION__SERVER_HPP_

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

#include <rcl_action/action_server.h>
#include <rmw/types.h>
#include <action_msgs/msg/goal_status.hpp>
#include <builtin_interfaces/msg/time.hpp>
#include <rclcpp/callback_group.hpp>
#include <rclcpp/detail/context_check.hpp>
#include <rclcpp/exceptions.hpp>
#include <rclcpp/logger.hpp>
#include <rclcpp/macros.hpp>
#include <rclcpp/node_interfaces/node_base_interface.hpp>
#include <rclcpp/node_interfaces/node_clock_interface.hpp>
#include <rclcpp/node_interfaces/node_logging_interface.hpp>
#include <rclcpp/publisher.hpp>
#include <rclcpp/qos.hpp>
#include <rclcpp/service.hpp>
#include <rclcpp/waitable.hpp>

#include "rclcpp_action/detail/goal_handle_state.hpp"
#include "rclcpp_action/server_goal_handle.hpp"
#include "rclcpp_action/types.hpp"

namespace rclcpp_action
{
/// The answer of a server's goal callback.
enum class GoalResponse : int8_t {
  REJECT = 1,
  /// Accept and start at once: the goal is EXECUTING when the accepted callback runs.
  ACCEPT_AND_EXECUTE = 2,
  /// Accept; the goal stays ACCEPTED until ServerGoalHandle::execute().
  ACCEPT_AND_DEFER = 3,
};

/// The answer of a server's cancel callback.
enum class CancelResponse : int8_t {
  REJECT = 1,
  ACCEPT = 2,
};

namespace detail
{
/// The typed endpoints of one action server, reduced to what ServerBase needs.
struct ServerEndpoints
{
  rclcpp::ServiceBase::SharedPtr goal_service;
  std::function<void(rmw_request_id_t &, const std::shared_ptr<void> &)> send_goal_response;
  rclcpp::ServiceBase::SharedPtr result_service;
  std::function<void(rmw_request_id_t &, const std::shared_ptr<void> &)> send_result_response;
  rclcpp::PublisherBase::SharedPtr feedback_publisher;
  std::function<void(const std::shared_ptr<void> &)> publish_feedback;
};

inline rclcpp::QoS qos_from_rmw(const rmw_qos_profile_t & profile)
{
  return rclcpp::QoS(rclcpp::QoSInitialization::from_rmw(profile), profile);
}

template <typename ActionT>
ServerEndpoints make_server_endpoints(
  rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & name,
  const rcl_action_server_options_t & options)
{
  using GoalService = typename ActionT::Impl::SendGoalService;
  using ResultService = typename ActionT::Impl::GetResultService;
  using FeedbackMessage = typename ActionT::Impl::FeedbackMessage;
  rclcpp::detail::check_node_context_valid(*node_base, "");
  // Requests are taken by the server's waitable, never through the service callbacks.
  auto goal_service = std::make_shared<rclcpp::Service<GoalService>>(
    node_base, name + "/_action/send_goal", [](auto, auto, auto) {},
    qos_from_rmw(options.goal_service_qos));
  auto result_service = std::make_shared<rclcpp::Service<ResultService>>(
    node_base, name + "/_action/get_result", [](auto, auto, auto) {},
    qos_from_rmw(options.result_service_qos));
  auto feedback_publisher = std::make_shared<rclcpp::Publisher<FeedbackMessage>>(
    node_base, name + "/_action/feedback", qos_from_rmw(options.feedback_topic_qos),
    rclcpp::PublisherOptions());

  ServerEndpoints endpoints;
  endpoints.goal_service = goal_service;
  endpoints.send_goal_response = [service = goal_service.get()](
                                   rmw_request_id_t & header, const std::shared_ptr<void> & r) {
    service->send_response(header, *std::static_pointer_cast<typename GoalService::Response>(r));
  };
  endpoints.result_service = result_service;
  endpoints.send_result_response = [service = result_service.get()](
                                     rmw_request_id_t & header, const std::shared_ptr<void> & r) {
    service->send_response(header, *std::static_pointer_cast<typename ResultService::Response>(r));
  };
  endpoints.feedback_publisher = feedback_publisher;
  endpoints.publish_feedback = [publisher =
                                  feedback_publisher.get()](const std::shared_ptr<void> & message) {
    publisher->publish(*std::static_pointer_cast<FeedbackMessage>(message));
  };
  return endpoints;
}
}  // namespace detail

class ServerBaseImpl;

/// The type-independent part of an action server: the goal bookkeeping of rcl_action (goal
/// states, stored results, result requests waiting for a goal to end, expiry of results after
/// the result time-out) and the dispatch of requests. Use rclcpp_action::Server<> instead.
class ServerBase : public rclcpp::Waitable
{
public:
  ~ServerBase() override;

  /// One guard condition, triggered by every request that arrives.
  size_t get_number_of_ready_guard_conditions() override;
  void add_to_wait_set(rcl_wait_set_t * wait_set) override;
  /// True while a goal, cancel or result request waits.
  bool is_ready(rcl_wait_set_t * wait_set) override;
  /// Takes one request, goal requests first.
  std::shared_ptr<void> take_data() override;
  void execute(std::shared_ptr<void> & data) override;

protected:
  ServerBase(
    rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base,
    rclcpp::node_interfaces::NodeClockInterface::SharedPtr node_clock,
    rclcpp::node_interfaces::NodeLoggingInterface::SharedPtr node_logging, const std::string & name,
    const rcl_action_server_options_t & options, detail::ServerEndpoints endpoints);

  /// Runs the user's goal callback.
  virtual GoalResponse call_handle_goal_callback(
    const GoalUUID & uuid, std::shared_ptr<void> goal_request) = 0;
  virtual std::shared_ptr<void> create_goal_response(
    bool accepted, const builtin_interfaces::msg::Time & stamp) = 0;
  /// Runs the user's cancel callback for an active goal.
  virtual CancelResponse call_handle_cancel_callback(const GoalUUID & uuid) = 0;
  virtual GoalUUID get_goal_id_from_goal_request(void * message) = 0;
  /// Creates the goal handle and runs the user's accepted callback.
  virtual void call_goal_accepted_callback(
    std::shared_ptr<detail::GoalHandleState> state, const GoalUUID & uuid,
    std::shared_ptr<void> goal_request) = 0;
  virtual GoalUUID get_goal_id_from_result_request(void * message) = 0;
  virtual std::shared_ptr<void> create_result_response(int8_t status) = 0;

  /// Publishes the status of every goal the server still remembers.
  void publish_status();
  /// Stores the result of a goal that ended and answers the result requests waiting for it.
  void publish_result(const GoalUUID & uuid, std::shared_ptr<void> result_response);
  /// Starts the result time-out of a goal that ended.
  void notify_goal_terminal_state(const GoalUUID & uuid);
  void publish_feedback(std::shared_ptr<void> feedback_message);

  rclcpp::Logger get_logger() const;

private:
  void execute_goal_request_received(rmw_request_id_t & header, std::shared_ptr<void> request);
  void execute_cancel_request_received(rmw_request_id_t & header, std::shared_ptr<void> request);
  void execute_result_request_received(rmw_request_id_t & header, std::shared_ptr<void> request);

  std::unique_ptr<ServerBaseImpl> pimpl_;
};

/// An action server for `ActionT`; create it with rclcpp_action::create_server(). The goal and
/// cancel callbacks must not block; the result of a goal is set through its ServerGoalHandle,
/// from any thread.
template <typename ActionT>
class Server : public ServerBase, public std::enable_shared_from_this<Server<ActionT>>
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS_NOT_COPYABLE(Server)

  using GoalCallback =
    std::function<GoalResponse(const GoalUUID &, std::shared_ptr<const typename ActionT::Goal>)>;
  using CancelCallback = std::function<CancelResponse(std::shared_ptr<ServerGoalHandle<ActionT>>)>;
  using AcceptedCallback = std::function<void(std::shared_ptr<ServerGoalHandle<ActionT>>)>;

  Server(
    rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base,
    rclcpp::node_interfaces::NodeClockInterface::SharedPtr node_clock,
    rclcpp::node_interfaces::NodeLoggingInterface::SharedPtr node_logging, const std::string & name,
    const rcl_action_server_options_t & options, GoalCallback handle_goal,
    CancelCallback handle_cancel, AcceptedCallback handle_accepted)
  : ServerBase(
      node_base, node_clock, node_logging, name, options,
      detail::make_server_endpoints<ActionT>(node_base.get(), name, options)),
    handle_goal_(std::move(handle_goal)),
    handle_cancel_(std::move(handle_cancel)),
    handle_accepted_(std::move(handle_accepted))
  {
  }

  ~Server() override = default;

protected:
  GoalResponse call_handle_goal_callback(
    const GoalUUID & uuid, std::shared_ptr<void> goal_request) override
  {
    if (!handle_goal_) {
      return GoalResponse::REJECT;
    }
    auto request =
      std::static_pointer_cast<typename ActionT::Impl::SendGoalService::Request>(goal_request);
    // The goal shares the request's lifetime: no copy.
    std::shared_ptr<const typename ActionT::Goal> goal(request, &request->goal);
    return handle_goal_(uuid, goal);
  }

  std::shared_ptr<void> create_goal_response(
    bool accepted, const builtin_interfaces::msg::Time & stamp) override
  {
    auto response = std::make_shared<typename ActionT::Impl::SendGoalService::Response>();
    response->accepted = accepted;
    response->stamp = stamp;
    return response;
  }

  CancelResponse call_handle_cancel_callback(const GoalUUID & uuid) override
  {
    std::shared_ptr<ServerGoalHandle<ActionT>> goal_handle;
    {
      std::lock_guard<std::mutex> lock(goal_handles_mutex_);
      auto element = goal_handles_.find(uuid);
      if (element != goal_handles_.end()) {
        goal_handle = element->second.lock();
      }
    }
    if (!goal_handle || !handle_cancel_) {
      return CancelResponse::REJECT;
    }
    CancelResponse response = handle_cancel_(goal_handle);
    if (response == CancelResponse::ACCEPT) {
      try {
        goal_handle->_cancel_goal();
      } catch (const rclcpp::exceptions::RCLError &) {
        // The goal ended while the callback decided.
        return CancelResponse::REJECT;
      }
    }
    return response;
  }

  void call_goal_accepted_callback(
    std::shared_ptr<detail::GoalHandleState> state, const GoalUUID & uuid,
    std::shared_ptr<void> goal_request) override
  {
    std::weak_ptr<Server<ActionT>> weak_this = this->shared_from_this();

    auto on_terminal_state = [weak_this](const GoalUUID & goal_uuid, std::shared_ptr<void> result) {
      std::shared_ptr<Server<ActionT>> shared_this = weak_this.lock();
      if (!shared_this) {
        return;
      }
      shared_this->publish_result(goal_uuid, result);
      shared_this->publish_status();
      shared_this->notify_goal_terminal_state(goal_uuid);
      std::lock_guard<std::mutex> lock(shared_this->goal_handles_mutex_);
      shared_this->goal_handles_.erase(goal_uuid);
    };
    auto on_executing = [weak_this](const GoalUUID &) {
      std::shared_ptr<Server<ActionT>> shared_this = weak_this.lock();
      if (shared_this) {
        shared_this->publish_status();
      }
    };
    auto publish_feedback =
      [weak_this](std::shared_ptr<typename ActionT::Impl::FeedbackMessage> feedback_message) {
        std::shared_ptr<Server<ActionT>> shared_this = weak_this.lock();
        if (shared_this) {
          shared_this->publish_feedback(std::static_pointer_cast<void>(feedback_message));
        }
      };

    auto request =
      std::static_pointer_cast<typename ActionT::Impl::SendGoalService::Request>(goal_request);
    std::shared_ptr<const typename ActionT::Goal> goal(request, &request->goal);
    std::shared_ptr<ServerGoalHandle<ActionT>> goal_handle(new ServerGoalHandle<ActionT>(
      std::move(state), uuid, goal, on_terminal_state, on_executing, publish_feedback));
    {
      std::lock_guard<std::mutex> lock(goal_handles_mutex_);
      goal_handles_[uuid] = goal_handle;
    }
    if (handle_accepted_) {
      handle_accepted_(goal_handle);
    }
  }

  GoalUUID get_goal_id_from_goal_request(void * message) override
  {
    return static_cast<typename ActionT::Impl::SendGoalService::Request *>(message)->goal_id.uuid;
  }

  GoalUUID get_goal_id_from_result_request(void * message) override
  {
    return static_cast<typename ActionT::Impl::GetResultService::Request *>(message)->goal_id.uuid;
  }

  std::shared_ptr<void> create_result_response(int8_t status) override
  {
    auto result = std::make_shared<typename ActionT::Impl::GetResultService::Response>();
    result->status = status;
    return result;
  }

private:
  GoalCallback handle_goal_;
  CancelCallback handle_cancel_;
  AcceptedCallback handle_accepted_;

  std::mutex goal_handles_mutex_;
  std::unordered_map<GoalUUID, std::weak_ptr<ServerGoalHandle<ActionT>>> goal_handles_;
};

}  // namespace rclcpp_action

#endif  // RCLCPP_ACTION__SERVER_HPP_

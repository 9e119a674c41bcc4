#include "rclcpp_action/server.hpp"

#include <algorithm>
#include <deque>
#include <list>
#include <optional>
#include <unordered_map>
#include <vector>

#include <action_msgs/msg/goal_status_array.hpp>
#include <action_msgs/srv/cancel_goal.hpp>
#include <rclcpp/clock.hpp>
#include <rclcpp/guard_condition.hpp>
#include <rclcpp/logging.hpp>

namespace rclcpp_action
{
namespace
{
using CancelGoal = action_msgs::srv::CancelGoal;

/// What the server remembers of a goal until its result expires.
struct GoalRecord
{
  std::shared_ptr<detail::GoalHandleState> state;
  std::list<GoalUUID>::iterator order_position;
  std::optional<int64_t> terminal_ns;
  std::shared_ptr<void> result_response;
  std::vector<rmw_request_id_t> result_requests;
};

enum class RequestKind { GOAL, CANCEL, RESULT };

struct TakenRequest
{
  RequestKind kind;
  rclcpp::detail::ServiceMessage message;
};

bool is_zero(const GoalUUID & uuid)
{
  return std::all_of(uuid.begin(), uuid.end(), [](uint8_t byte) { return byte == 0; });
}

int64_t stamp_to_ns(const builtin_interfaces::msg::Time & stamp)
{
  return static_cast<int64_t>(stamp.sec) * 1000000000 + static_cast<int64_t>(stamp.nanosec);
}

}  // namespace

class ServerBaseImpl
{
public:
  ServerBaseImpl(
    rclcpp::node_interfaces::NodeBaseInterface * node_base, rclcpp::Clock::SharedPtr clock_in,
    rclcpp::Logger logger_in, const std::string & name,
    const rcl_action_server_options_t & options_in, detail::ServerEndpoints endpoints_in)
  : clock(std::move(clock_in)),
    logger(std::move(logger_in)),
    options(options_in),
    endpoints(std::move(endpoints_in)),
    cancel_service(std::make_shared<rclcpp::Service<CancelGoal>>(
      node_base, name + "/_action/cancel_goal", [](auto, auto, auto) {},
      detail::qos_from_rmw(options.cancel_service_qos))),
    status_publisher(std::make_shared<rclcpp::Publisher<action_msgs::msg::GoalStatusArray>>(
      node_base, name + "/_action/status", detail::qos_from_rmw(options.status_topic_qos),
      rclcpp::PublisherOptions())),
    guard_condition(std::make_shared<rclcpp::GuardCondition>(node_base->get_context()))
  {
    endpoints.goal_service->attach_to_guard_condition(guard_condition);
    cancel_service->attach_to_guard_condition(guard_condition);
    endpoints.result_service->attach_to_guard_condition(guard_condition);
  }

  bool has_request() const
  {
    return endpoints.goal_service->has_request() || cancel_service->has_request() ||
           endpoints.result_service->has_request();
  }

  /// Forgets the goals whose result time-out has passed. Caller holds goals_mutex.
  void expire_goals(int64_t now_ns)
  {
    const int64_t timeout = options.result_timeout.nanoseconds;
    while (!ended_goals.empty()) {
      auto record = goals.find(ended_goals.front());
      if (record == goals.end()) {
        ended_goals.pop_front();
        continue;
      }
      if (now_ns - *record->second.terminal_ns <= timeout) {
        break;
      }
      RCLCPP_DEBUG(logger, "Expired goal %s", to_string(record->first).c_str());
      goal_order.erase(record->second.order_position);
      goals.erase(record);
      ended_goals.pop_front();
    }
  }

  /// The goals a cancel request names, by the rules of the action design, and the request's
  /// return code. Caller holds goals_mutex.
  std::vector<GoalInfo> goals_to_cancel(const GoalInfo & request, int8_t & return_code) const
  {
    std::vector<GoalInfo> result;
    const GoalUUID & request_uuid = request.goal_id.uuid;
    int64_t request_ns = stamp_to_ns(request.stamp);
    if (!is_zero(request_uuid) && request_ns == 0) {
      auto record = goals.find(request_uuid);
      if (record == goals.end()) {
        return_code = CancelGoal::Response::ERROR_UNKNOWN_GOAL_ID;
      } else if (!record->second.state->is_cancelable()) {
        return_code = CancelGoal::Response::ERROR_GOAL_TERMINATED;
      } else {
        return_code = CancelGoal::Response::ERROR_NONE;
        result.push_back(record->second.state->info());
      }
      return result;
    }
    return_code = CancelGoal::Response::ERROR_NONE;
    if (is_zero(request_uuid) && request_ns == 0) {
      request_ns = INT64_MAX;
    }
    for (const GoalUUID & uuid : goal_order) {
      const GoalRecord & record = goals.at(uuid);
      const GoalInfo & info = record.state->info();
      if (
        record.state->is_cancelable() &&
        (stamp_to_ns(info.stamp) <= request_ns || uuid == request_uuid)) {
        result.push_back(info);
      }
    }
    return result;
  }

  rclcpp::Clock::SharedPtr clock;
  rclcpp::Logger logger;
  const rcl_action_server_options_t options;
  detail::ServerEndpoints endpoints;
  std::shared_ptr<rclcpp::Service<CancelGoal>> cancel_service;
  std::shared_ptr<rclcpp::Publisher<action_msgs::msg::GoalStatusArray>> status_publisher;
  std::shared_ptr<rclcpp::GuardCondition> guard_condition;

  std::mutex goals_mutex;
  std::unordered_map<GoalUUID, GoalRecord> goals;
  /// Acceptance order, the order of the status list.
  std::list<GoalUUID> goal_order;
  /// Goals in the order they ended, for expiry.
  std::deque<GoalUUID> ended_goals;
};

ServerBase::ServerBase(
  rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base,
  rclcpp::node_interfaces::NodeClockInterface::SharedPtr node_clock,
  rclcpp::node_interfaces::NodeLoggingInterface::SharedPtr node_logging, const std::string & name,
  const rcl_action_server_options_t & options, detail::ServerEndpoints endpoints)
: pimpl_(std::make_unique<ServerBaseImpl>(
    node_base.get(), node_clock->get_clock(), node_logging->get_logger().get_child("rclcpp_action"),
    name, options, std::move(endpoints)))
{
}

ServerBase::~ServerBase() = default;

size_t ServerBase::get_number_of_ready_guard_conditions() { return 1; }

void ServerBase::add_to_wait_set(rcl_wait_set_t * wait_set)
{
  rclcpp::detail::add_guard_condition_to_rcl_wait_set(wait_set, *pimpl_->guard_condition);
}

bool ServerBase::is_ready(rcl_wait_set_t * /*wait_set*/) { return pimpl_->has_request(); }

std::shared_ptr<void> ServerBase::take_data()
{
  auto taken = std::make_shared<TakenRequest>();
  if (pimpl_->endpoints.goal_service->take_type_erased_request(taken->message)) {
    taken->kind = RequestKind::GOAL;
  } else if (pimpl_->cancel_service->take_type_erased_request(taken->message)) {
    taken->kind = RequestKind::CANCEL;
  } else if (pimpl_->endpoints.result_service->take_type_erased_request(taken->message)) {
    taken->kind = RequestKind::RESULT;
  } else {
    return nullptr;
  }
  if (pimpl_->has_request()) {
    // A trigger wakes one wait: the requests still queued need another.
    pimpl_->guard_condition->trigger();
  }
  return taken;
}

void ServerBase::execute(std::shared_ptr<void> & data)
{
  if (!data) {
    return;
  }
  auto taken = std::static_pointer_cast<TakenRequest>(data);
  switch (taken->kind) {
    case RequestKind::GOAL:
      execute_goal_request_received(taken->message.header, taken->message.payload);
      break;
    case RequestKind::CANCEL:
      execute_cancel_request_received(taken->message.header, taken->message.payload);
      break;
    case RequestKind::RESULT:
      execute_result_request_received(taken->message.header, taken->message.payload);
      break;
  }
}

void ServerBase::execute_goal_request_received(
  rmw_request_id_t & header, std::shared_ptr<void> request)
{
  const GoalUUID uuid = get_goal_id_from_goal_request(request.get());
  const rclcpp::Time now = pimpl_->clock->now();
  bool duplicate;
  {
    std::lock_guard<std::mutex> lock(pimpl_->goals_mutex);
    pimpl_->expire_goals(now.nanoseconds());
    duplicate = pimpl_->goals.count(uuid) != 0;
  }
  if (duplicate) {
    RCLCPP_ERROR(
      pimpl_->logger, "Rejected goal %s: the server has a goal with this ID already",
      to_string(uuid).c_str());
    pimpl_->endpoints.send_goal_response(
      header, create_goal_response(false, builtin_interfaces::msg::Time()));
    return;
  }

  const GoalResponse user_response = call_handle_goal_callback(uuid, request);
  const bool accepted = user_response == GoalResponse::ACCEPT_AND_EXECUTE ||
                        user_response == GoalResponse::ACCEPT_AND_DEFER;
  if (!accepted) {
    pimpl_->endpoints.send_goal_response(
      header, create_goal_response(false, builtin_interfaces::msg::Time()));
    return;
  }

  GoalInfo info;
  info.goal_id.uuid = uuid;
  info.stamp = now;
  auto state = std::make_shared<detail::GoalHandleState>(info);
  if (user_response == GoalResponse::ACCEPT_AND_EXECUTE) {
    state->update(detail::GoalEvent::EXECUTE);
  }
  {
    std::lock_guard<std::mutex> lock(pimpl_->goals_mutex);
    pimpl_->goal_order.push_back(uuid);
    GoalRecord & record = pimpl_->goals[uuid];
    record.state = state;
    record.order_position = std::prev(pimpl_->goal_order.end());
  }
  RCLCPP_DEBUG(pimpl_->logger, "Accepted goal %s", to_string(uuid).c_str());
  pimpl_->endpoints.send_goal_response(header, create_goal_response(true, info.stamp));
  publish_status();
  call_goal_accepted_callback(state, uuid, request);
}

void ServerBase::execute_cancel_request_received(
  rmw_request_id_t & header, std::shared_ptr<void> request)
{
  auto cancel_request = std::static_pointer_cast<CancelGoal::Request>(request);
  auto response = std::make_shared<CancelGoal::Response>();
  std::vector<GoalInfo> candidates;
  {
    std::lock_guard<std::mutex> lock(pimpl_->goals_mutex);
    pimpl_->expire_goals(pimpl_->clock->now().nanoseconds());
    candidates = pimpl_->goals_to_cancel(cancel_request->goal_info, response->return_code);
  }
  // The user's cancel callbacks run without the server's lock: they may take locks of their
  // own that a thread ending a goal holds.
  for (const GoalInfo & info : candidates) {
    if (call_handle_cancel_callback(info.goal_id.uuid) == CancelResponse::ACCEPT) {
      response->goals_canceling.push_back(info);
    }
  }
  if (!candidates.empty() && response->goals_canceling.empty()) {
    response->return_code = CancelGoal::Response::ERROR_REJECTED;
  }
  if (!response->goals_canceling.empty()) {
    publish_status();
  }
  pimpl_->cancel_service->send_response(header, *response);
}

void ServerBase::execute_result_request_received(
  rmw_request_id_t & header, std::shared_ptr<void> request)
{
  const GoalUUID uuid = get_goal_id_from_result_request(request.get());
  std::shared_ptr<void> response;
  {
    std::lock_guard<std::mutex> lock(pimpl_->goals_mutex);
    pimpl_->expire_goals(pimpl_->clock->now().nanoseconds());
    auto record = pimpl_->goals.find(uuid);
    if (record == pimpl_->goals.end()) {
      response = create_result_response(GoalStatus::STATUS_UNKNOWN);
    } else if (record->second.result_response) {
      response = record->second.result_response;
    } else {
      record->second.result_requests.push_back(header);
      return;
    }
  }
  pimpl_->endpoints.send_result_response(header, response);
}

void ServerBase::publish_status()
{
  auto status_message = std::make_unique<action_msgs::msg::GoalStatusArray>();
  std::lock_guard<std::mutex> lock(pimpl_->goals_mutex);
  pimpl_->expire_goals(pimpl_->clock->now().nanoseconds());
  status_message->status_list.reserve(pimpl_->goal_order.size());
  for (const GoalUUID & uuid : pimpl_->goal_order) {
    const GoalRecord & record = pimpl_->goals.at(uuid);
    action_msgs::msg::GoalStatus status;
    status.goal_info = record.state->info();
    status.status = record.state->status();
    status_message->status_list.push_back(std::move(status));
  }
  // Published under the lock so that status messages leave in the order of the changes.
  pimpl_->status_publisher->publish(std::move(status_message));
}

void ServerBase::publish_result(const GoalUUID & uuid, std::shared_ptr<void> result_response)
{
  std::vector<rmw_request_id_t> waiting;
  {
    std::lock_guard<std::mutex> lock(pimpl_->goals_mutex);
    auto record = pimpl_->goals.find(uuid);
    if (record == pimpl_->goals.end()) {
      RCLCPP_ERROR(
        pimpl_->logger, "Asked to publish result for goal that does not exist: %s",
        to_string(uuid).c_str());
      return;
    }
    record->second.result_response = result_response;
    waiting.swap(record->second.result_requests);
  }
  for (rmw_request_id_t & header : waiting) {
    pimpl_->endpoints.send_result_response(header, result_response);
  }
}

void ServerBase::notify_goal_terminal_state(const GoalUUID & uuid)
{
  std::lock_guard<std::mutex> lock(pimpl_->goals_mutex);
  auto record = pimpl_->goals.find(uuid);
  if (record != pimpl_->goals.end() && !record->second.terminal_ns) {
    record->second.terminal_ns = pimpl_->clock->now().nanoseconds();
    pimpl_->ended_goals.push_back(uuid);
  }
}

void ServerBase::publish_feedback(std::shared_ptr<void> feedback_message)
{
  pimpl_->endpoints.publish_feedback(feedback_message);
}

rclcpp::Logger ServerBase::get_logger() const { return pimpl_->logger; }

}  // namespace rclcpp_action

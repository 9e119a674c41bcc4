#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "rclcpp/rclcpp.hpp"
#include "rclcpp_action/rclcpp_action.hpp"
#include "velmoran_planner_cli/command_wait.hpp"
#include "velmoran_planner_cli/planner_request.hpp"
#include "velmoran_protocol/action/planner.hpp"

namespace velmoran_planner
{

/// Carries out one request against the decision node and prints what happens; the node must be
/// spun by the caller. Returns the exit status: 0 success, 1 failure, cancellation or time-out.
class PlannerClient
{
public:
  PlannerClient(
    rclcpp::Node::SharedPtr node, const PlannerRequest & request, CommandWait & wait,
    std::ostream & out, std::ostream & err);

  int run();

  /// A goal id as the `ros2` tools print it: 32 lower-case hex digits, two per byte.
  /// (rclcpp_action::to_string drops the leading zero of a byte below 0x10.)
  static std::string goalIdText(const rclcpp_action::GoalUUID & goal_id);

private:
  int send();
  int cancel();
  int stopTask();
  int estop();
  int armRetractCheck();

  /// A client of the node's planner action once its server is there; empty (with a message) on
  /// interruption or time-out.
  rclcpp_action::Client<velmoran_protocol::action::Planner>::SharedPtr plannerClient();
  /// Calls a service until it answers; nothing on interruption or time-out (with a message).
  template <typename ServiceT>
  typename ServiceT::Response::SharedPtr call(
    const std::string & service_name, const typename ServiceT::Request & request);
  /// The node's name for `relative`, resolved in its namespace as the node itself does.
  std::string resolve(const std::string & relative) const;
  /// Waits for `ready()` (polled, as the graph gives no event here); false and a message on
  /// interruption or time-out.
  bool waitForServer(const std::string & what, const std::function<bool()> & ready);
  /// The deadline of an answer expected within `limit`, never after the command's deadline.
  CommandWait::Clock::time_point within(std::chrono::milliseconds limit) const;
  bool timedOut() const { return CommandWait::Clock::now() >= deadline_; }

  rclcpp::Node::SharedPtr node_;
  PlannerRequest request_;
  CommandWait & wait_;
  std::ostream & out_;
  std::ostream & err_;
  CommandWait::Clock::time_point deadline_;
};

}  // namespace velmoran_planner

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "geometry_msgs/msg/pose_stamped.hpp"
#include "velmoran_protocol/action/planner.hpp"

namespace velmoran_planner
{

enum class Verb { Help, Send, Cancel, StopTask, Estop, ArmRetractCheck };

/// What one command line asks for.
struct PlannerRequest
{
  Verb verb{Verb::Help};
  /// The decision node that serves the request: its name and namespace.
  std::string node_name{"velmoran_nav2_decision"};
  std::string node_namespace{"/"};
  /// The goal of `send`.
  velmoran_protocol::action::Planner::Goal goal;
  /// The state `estop` publishes.
  bool emergency_stop{false};
  /// The points of `arm-retract-check`.
  std::vector<geometry_msgs::msg::PoseStamped> work_points;
  /// Seconds the whole command may take; none: `send` waits for the result however long the job
  /// runs, the other commands use their default.
  std::optional<double> timeout_seconds;
};

}  // namespace velmoran_planner

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "velmoran_nav2_sim/geometry.hpp"
#include "velmoran_nav2_sim/sim_world.hpp"

namespace velmoran_nav2_sim
{

/// How a job is to end. Unset fields are not checked.
struct JobExpectation
{
  /// "succeeded", "aborted" or "canceled": the action's result code.
  std::string outcome = "succeeded";
  std::optional<int32_t> err_num;
  std::optional<int32_t> index;
  std::optional<std::string> message;
};

/// A Planner job sent by the scenario's action client.
struct JobStep
{
  int line = 0;
  std::string name;
  int32_t run_mode = 0;
  std::vector<Pose2D> poses;
  std::vector<Polygon2D> zones;
  std::vector<Point2D> covered_points;
  double distance = 0.0;
  double max_speed = 0.0;
  uint32_t command = 0;
  std::vector<Point2D> lift_frame;
  std::vector<Pose2D> work_points;
  std::optional<Fault> fault;
  /// Wait for the result before the next step; otherwise go on once the job is accepted.
  bool wait = true;
  JobExpectation expect;
};

/// A pose sent on "goal_pose" or as a NavigateToPose goal; the node turns it into a job.
struct ForwardedGoalStep
{
  enum class Input { kGoalPoseTopic, kNavigateToPose };
  int line = 0;
  Input input = Input::kGoalPoseTopic;
  std::string name;
  Pose2D pose;
  bool wait = true;
  JobExpectation expect;
};

/// Waits simulated seconds.
struct WaitStep
{
  int line = 0;
  double seconds = 0.0;
};

/// Waits for the result of a job sent earlier without waiting.
struct WaitForStep
{
  int line = 0;
  std::string job;
};

struct CancelStep
{
  int line = 0;
  std::string job;
};

/// Calls "stop_task".
struct StopStep
{
  int line = 0;
};

/// Holds the emergency stop for simulated seconds, then releases it.
struct EmergencyStopStep
{
  int line = 0;
  double seconds = 0.0;
};

/// Asks "/arm_retract_detect" about work points.
struct ArmRetractCheckStep
{
  int line = 0;
  std::vector<Point2D> points;
  bool expect_need_retract = false;
};

using Step = std::variant<
  JobStep, ForwardedGoalStep, WaitStep, WaitForStep, CancelStep, StopStep, EmergencyStopStep,
  ArmRetractCheckStep>;

struct Scenario
{
  std::string file;
  std::string name;
  std::string description;
  std::optional<double> time_factor;
  Pose2D start;
  std::vector<Polygon2D> obstacles;
  std::vector<Step> steps;
};

}  // namespace velmoran_nav2_sim

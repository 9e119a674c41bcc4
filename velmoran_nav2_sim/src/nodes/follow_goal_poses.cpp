#include "velmoran_nav2_sim/nodes/follow_goal_poses.hpp"

#include <limits>

#include <fmt/format.h>
#include <nav_msgs/msg/path.hpp>

#include "blackboard_keys.hpp"
#include "velmoran_nav2_sim/msg_conversions.hpp"
#include "velmoran_nav2_sim/nodes/speed_ports.hpp"
#include "velmoran_nav2_sim/sim_world.hpp"

namespace velmoran_nav2_sim
{

namespace keys = bt_navigator::keys;

FollowGoalPoses::FollowGoalPoses(const std::string & name, const BT::NodeConfiguration & config)
: BT::StatefulActionNode(name, config)
{
}

BT::PortsList FollowGoalPoses::providedPorts()
{
  BT::PortsList ports = speedPorts();
  ports.insert(
    {BT::InputPort<keys::PosePath>("goal_poses", "poses to reach"),
     BT::InputPort<int>("run_mode", "the goal's run mode"),
     BT::OutputPort<keys::GlobalPlanningResult>("global_result", "the planned path"),
     BT::OutputPort<keys::LocalPlanningResult>("local_result", "the local planner's result"),
     BT::OutputPort<keys::PosePath>("post_task_pose", "where the robot stopped")});
  return ports;
}

BT::NodeStatus FollowGoalPoses::onStart()
{
  setOutput("local_result", keys::LocalPlanningResult());
  keys::PosePath goal_poses;
  if (!getInput("goal_poses", goal_poses) || goal_poses.empty()) {
    SimWorld::report(name() + ": no goal poses on the blackboard");
    return BT::NodeStatus::FAILURE;
  }
  int run_mode = 0;
  getInput("run_mode", run_mode);
  std::vector<Pose2D> goals;
  for (const auto & pose : goal_poses) {
    goals.push_back(toPose2D(pose));
  }
  const std::vector<Pose2D> targets = chooseTargets(goals, run_mode);
  if (targets.empty()) {
    return BT::NodeStatus::FAILURE;
  }
  const auto robot = SimWorld::instance().robot();
  writePlan(robot->pose(), targets);
  final_pose_ = targets.back();
  motion_.start(robot, targets, commandedSpeed(*this), MobileBase::Heading::kAlongPath);
  return BT::NodeStatus::RUNNING;
}

BT::NodeStatus FollowGoalPoses::onRunning()
{
  if (motion_.poll() == MotionSupervisor::Progress::kRunning) {
    return BT::NodeStatus::RUNNING;
  }
  setOutput("post_task_pose", keys::PosePath{toPoseStamped(final_pose_)});
  return BT::NodeStatus::SUCCESS;
}

void FollowGoalPoses::onHalted() { motion_.stop(); }

std::vector<Pose2D> FollowGoalPoses::chooseTargets(
  const std::vector<Pose2D> & goals, int run_mode) const
{
  const SimWorld & world = SimWorld::instance();
  for (const auto & goal : goals) {
    if (!insideWorld(goal.x, goal.y)) {
      SimWorld::report(fmt::format(
        "{}: goal ({:.2f}, {:.2f}) lies outside the world (x and y within +-{:.0f} m)", name(),
        goal.x, goal.y, kWorldLimit));
      return {};
    }
  }
  if (run_mode == kArmRunMode) {
    const Pose2D here = world.robot()->pose();
    const Pose2D * nearest = nullptr;
    double nearest_distance = std::numeric_limits<double>::infinity();
    for (const auto & goal : goals) {
      if (!world.obstacleAt({goal.x, goal.y}) && distance(here, goal) < nearest_distance) {
        nearest = &goal;
        nearest_distance = distance(here, goal);
      }
    }
    if (nearest == nullptr) {
      SimWorld::report(name() + ": every recommended work point lies inside an obstacle");
      return {};
    }
    return {*nearest};
  }
  for (const auto & goal : goals) {
    if (const auto obstacle = world.obstacleAt({goal.x, goal.y})) {
      SimWorld::report(fmt::format(
        "{}: goal ({:.2f}, {:.2f}) lies inside obstacle {}: unreachable", name(), goal.x, goal.y,
        *obstacle));
      return {};
    }
  }
  return goals;
}

void FollowGoalPoses::writePlan(const Pose2D & start, const std::vector<Pose2D> & targets)
{
  nav_msgs::msg::Path path;
  path.header.frame_id = "map";
  path.poses.push_back(toPoseStamped(start));
  for (const auto & target : targets) {
    path.poses.push_back(toPoseStamped(target));
  }
  keys::GlobalPlanningResult plan;
  plan.path_segments.push_back(path);
  setOutput("global_result", plan);
}

}  // namespace velmoran_nav2_sim

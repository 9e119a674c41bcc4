#pragma once

#include <string>
#include <vector>

#include <behaviortree_cpp_v3/action_node.h>

#include "velmoran_nav2_sim/geometry.hpp"
#include "velmoran_nav2_sim/nodes/motion_supervisor.hpp"

namespace velmoran_nav2_sim
{

/// Plans and drives to the goal poses ("goal_poses") at the job's speed. Plans straight lines:
/// a goal inside an obstacle of the map is unreachable and the node fails. For arm jobs the
/// poses are candidates and the robot drives to the nearest free one; otherwise it visits every
/// pose in order. Writes the plan to "global_result", a fresh "local_result" (nothing cleaned)
/// and, on arrival, the reached pose to "post_task_pose".
class FollowGoalPoses : public BT::StatefulActionNode
{
public:
  static constexpr int kArmRunMode = 405;

  FollowGoalPoses(const std::string & name, const BT::NodeConfiguration & config);

  static BT::PortsList providedPorts();

  BT::NodeStatus onStart() override;
  BT::NodeStatus onRunning() override;
  void onHalted() override;

private:
  /// The poses to drive through; empty when a goal is unreachable.
  std::vector<Pose2D> chooseTargets(const std::vector<Pose2D> & goals, int run_mode) const;
  void writePlan(const Pose2D & start, const std::vector<Pose2D> & targets);

  MotionSupervisor motion_;
  Pose2D final_pose_;
};

}  // namespace velmoran_nav2_sim

#pragma once

#include <string>

#include <behaviortree_cpp_v3/action_node.h>

#include "velmoran_nav2_sim/geometry.hpp"
#include "velmoran_nav2_sim/nodes/motion_supervisor.hpp"

namespace velmoran_nav2_sim
{

/// Moves the robot sideways, keeping its heading on the way, to the map-frame target of a
/// lateral move (the last of "local_result"'s target poses); "post_task_pose" on arrival.
class LateralMove : public BT::StatefulActionNode
{
public:
  LateralMove(const std::string & name, const BT::NodeConfiguration & config);

  static BT::PortsList providedPorts();

  BT::NodeStatus onStart() override;
  BT::NodeStatus onRunning() override;
  void onHalted() override;

private:
  MotionSupervisor motion_;
  Pose2D target_;
};

}  // namespace velmoran_nav2_sim

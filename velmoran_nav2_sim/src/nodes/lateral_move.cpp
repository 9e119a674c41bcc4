#include "velmoran_nav2_sim/nodes/lateral_move.hpp"

#include <fmt/format.h>

#include "blackboard_keys.hpp"
#include "velmoran_nav2_sim/msg_conversions.hpp"
#include "velmoran_nav2_sim/nodes/speed_ports.hpp"
#include "velmoran_nav2_sim/sim_world.hpp"

namespace velmoran_nav2_sim
{

namespace keys = bt_navigator::keys;

LateralMove::LateralMove(const std::string & name, const BT::NodeConfiguration & config)
: BT::StatefulActionNode(name, config)
{
}

BT::PortsList LateralMove::providedPorts()
{
  BT::PortsList ports = speedPorts();
  ports.insert(
    {BT::InputPort<keys::LocalPlanningResult>("local_result", "target poses of the move"),
     BT::OutputPort<keys::PosePath>("post_task_pose", "where the robot stopped")});
  return ports;
}

BT::NodeStatus LateralMove::onStart()
{
  keys::LocalPlanningResult request;
  if (!getInput("local_result", request) || request.target_poses.empty()) {
    SimWorld::report(name() + ": no target pose in local_result");
    return BT::NodeStatus::FAILURE;
  }
  target_ = toPose2D(request.target_poses.back());
  if (!insideWorld(target_.x, target_.y)) {
    SimWorld::report(fmt::format(
      "{}: target ({:.2f}, {:.2f}) lies outside the world (x and y within +-{:.0f} m)", name(),
      target_.x, target_.y, kWorldLimit));
    return BT::NodeStatus::FAILURE;
  }
  if (const auto obstacle = SimWorld::instance().obstacleAt({target_.x, target_.y})) {
    SimWorld::report(fmt::format(
      "{}: target ({:.2f}, {:.2f}) lies inside obstacle {}", name(), target_.x, target_.y,
      *obstacle));
    return BT::NodeStatus::FAILURE;
  }
  motion_.start(
    SimWorld::instance().robot(), {target_}, commandedSpeed(*this), MobileBase::Heading::kKeep);
  return BT::NodeStatus::RUNNING;
}

BT::NodeStatus LateralMove::onRunning()
{
  if (motion_.poll() == MotionSupervisor::Progress::kRunning) {
    return BT::NodeStatus::RUNNING;
  }
  setOutput("post_task_pose", keys::PosePath{toPoseStamped(target_)});
  return BT::NodeStatus::SUCCESS;
}

void LateralMove::onHalted() { motion_.stop(); }

}  // namespace velmoran_nav2_sim

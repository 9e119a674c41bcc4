#include "velmoran_nav2_sim/nodes/cover_zones.hpp"

#include <vector>

#include <fmt/format.h>
#include <nav_msgs/msg/path.hpp>

#include "blackboard_keys.hpp"
#include "velmoran_nav2_sim/msg_conversions.hpp"
#include "velmoran_nav2_sim/nodes/speed_ports.hpp"
#include "velmoran_nav2_sim/sim_world.hpp"

namespace velmoran_nav2_sim
{

namespace keys = bt_navigator::keys;

CoverZones::CoverZones(const std::string & name, const BT::NodeConfiguration & config)
: BT::StatefulActionNode(name, config)
{
}

BT::PortsList CoverZones::providedPorts()
{
  BT::PortsList ports = speedPorts();
  ports.insert(
    {BT::BidirectionalPort<keys::GlobalPlanningResult>("global_result", "zones in, sweep out"),
     BT::InputPort<double>("lane_spacing", 0.5, "distance between lanes, m"),
     BT::OutputPort<keys::LocalPlanningResult>("local_result", "cleaned area and residues"),
     BT::OutputPort<keys::PosePath>("post_task_pose", "where the robot stopped")});
  return ports;
}

BT::NodeStatus CoverZones::onStart()
{
  keys::GlobalPlanningResult plan_message;
  if (!getInput("global_result", plan_message)) {
    SimWorld::report(name() + ": no zones on the blackboard (global_result)");
    return BT::NodeStatus::FAILURE;
  }
  std::vector<Polygon2D> zones;
  for (const auto & zone : plan_message.goal_zones) {
    zones.push_back(toPolygon2D(zone));
  }
  try {
    plan_ = std::make_unique<CoveragePlan>(zones, getInput<double>("lane_spacing").value());
  } catch (const std::exception & error) {
    plan_.reset();
    SimWorld::report(name() + ": cannot sweep the zones: " + error.what());
    return BT::NodeStatus::FAILURE;
  }

  plan_message.path_segments.clear();
  for (const auto & sweep : plan_->waypointsByZone()) {
    nav_msgs::msg::Path path;
    path.header.frame_id = "map";
    for (const auto & waypoint : sweep) {
      path.poses.push_back(toPoseStamped(waypoint));
    }
    plan_message.path_segments.push_back(path);
  }
  setOutput("global_result", plan_message);

  if (plan_->waypoints().empty()) {
    writeLocalResult();
    return BT::NodeStatus::SUCCESS;
  }
  motion_.start(
    SimWorld::instance().robot(), plan_->waypoints(), commandedSpeed(*this),
    MobileBase::Heading::kAlongPath);
  return BT::NodeStatus::RUNNING;
}

BT::NodeStatus CoverZones::onRunning()
{
  if (motion_.poll() == MotionSupervisor::Progress::kRunning) {
    return BT::NodeStatus::RUNNING;
  }
  writeLocalResult();
  setOutput("post_task_pose", keys::PosePath{toPoseStamped(plan_->waypoints().back())});
  return BT::NodeStatus::SUCCESS;
}

void CoverZones::onHalted()
{
  motion_.stop();
  writeLocalResult();
}

void CoverZones::writeLocalResult()
{
  if (!plan_) {
    return;
  }
  const std::size_t reached = motion_.waypointsReached();
  keys::LocalPlanningResult result;
  result.cleaned_area = static_cast<float>(plan_->cleanedArea(reached));
  for (const auto & residue : plan_->residues(reached)) {
    result.residues_zones.push_back(toPolygonMsg(residue));
  }
  setOutput("local_result", result);
}

}  // namespace velmoran_nav2_sim

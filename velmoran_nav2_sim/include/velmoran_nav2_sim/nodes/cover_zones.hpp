#pragma once

#include <memory>
#include <string>

#include <behaviortree_cpp_v3/action_node.h>

#include "velmoran_nav2_sim/coverage_plan.hpp"
#include "velmoran_nav2_sim/nodes/motion_supervisor.hpp"

namespace velmoran_nav2_sim
{

/// Sweeps the zones of a coverage job (the zones of "global_result") lane by lane. Adds the
/// sweep to "global_result" as one path segment per zone. When the sweep ends, or is halted on
/// the way, writes "local_result": the area cleaned and the residue zones left to clean.
class CoverZones : public BT::StatefulActionNode
{
public:
  CoverZones(const std::string & name, const BT::NodeConfiguration & config);

  static BT::PortsList providedPorts();

  BT::NodeStatus onStart() override;
  BT::NodeStatus onRunning() override;
  void onHalted() override;

private:
  void writeLocalResult();

  std::unique_ptr<CoveragePlan> plan_;
  MotionSupervisor motion_;
};

}  // namespace velmoran_nav2_sim

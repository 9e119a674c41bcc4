#pragma once

#include <string>

#include <behaviortree_cpp_v3/action_node.h>

namespace velmoran_nav2_sim
{

/// Meets the job with the fault the simulation armed for its action id ("action_id"):
/// - a forced failure raises the blackboard flag "always_failure" and stays RUNNING, so the
///   decision node's next tick ends the job as failed;
/// - a slow run sets "speed_scale" to the fault's fraction;
/// - no fault: "speed_scale" = 1 and SUCCESS at once.
class InjectFault : public BT::StatefulActionNode
{
public:
  InjectFault(const std::string & name, const BT::NodeConfiguration & config);

  static BT::PortsList providedPorts();

  BT::NodeStatus onStart() override;
  BT::NodeStatus onRunning() override;
  void onHalted() override;
};

}  // namespace velmoran_nav2_sim

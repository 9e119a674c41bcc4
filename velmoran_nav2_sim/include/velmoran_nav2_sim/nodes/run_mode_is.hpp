#pragma once

#include <string>

#include <behaviortree_cpp_v3/condition_node.h>

namespace velmoran_nav2_sim
{

/// SUCCESS when the goal's run mode ("run_mode") is one of "modes", a ';'-separated list of
/// numbers; FAILURE otherwise, also when no run mode is on the blackboard.
class RunModeIs : public BT::ConditionNode
{
public:
  RunModeIs(const std::string & name, const BT::NodeConfiguration & config);

  static BT::PortsList providedPorts();

  BT::NodeStatus tick() override;
};

}  // namespace velmoran_nav2_sim

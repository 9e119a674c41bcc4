#pragma once

#include <string>

#include <behaviortree_cpp_v3/condition_node.h>

namespace velmoran_nav2_sim
{

/// Before an elevator entry: SUCCESS when the goal pose lies inside the car's outline
/// ("lift_inner_frame"), or when no outline is known; FAILURE (the car is not where the job
/// says) otherwise.
class GoalInsideLiftCar : public BT::ConditionNode
{
public:
  GoalInsideLiftCar(const std::string & name, const BT::NodeConfiguration & config);

  static BT::PortsList providedPorts();

  BT::NodeStatus tick() override;
};

}  // namespace velmoran_nav2_sim

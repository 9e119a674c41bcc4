// The simulated tree nodes as a plug-in library of the behaviour-tree engine.
#include <behaviortree_cpp_v3/bt_factory.h>

#include "velmoran_nav2_sim/nodes/cover_zones.hpp"
#include "velmoran_nav2_sim/nodes/follow_goal_poses.hpp"
#include "velmoran_nav2_sim/nodes/goal_inside_lift_car.hpp"
#include "velmoran_nav2_sim/nodes/inject_fault.hpp"
#include "velmoran_nav2_sim/nodes/lateral_move.hpp"
#include "velmoran_nav2_sim/nodes/run_mode_is.hpp"

BT_REGISTER_NODES(factory)
{
  factory.registerNodeType<velmoran_nav2_sim::RunModeIs>("RunModeIs");
  factory.registerNodeType<velmoran_nav2_sim::InjectFault>("InjectFault");
  factory.registerNodeType<velmoran_nav2_sim::GoalInsideLiftCar>("GoalInsideLiftCar");
  factory.registerNodeType<velmoran_nav2_sim::FollowGoalPoses>("FollowGoalPoses");
  factory.registerNodeType<velmoran_nav2_sim::CoverZones>("CoverZones");
  factory.registerNodeType<velmoran_nav2_sim::LateralMove>("LateralMove");
}

#pragma once

#include <behaviortree_cpp_v3/tree_node.h>

namespace velmoran_nav2_sim
{

/// Ports of the motion nodes that set their speed: "max_speed" (the job's limit, m/s; 0 or less
/// means none was given), "default_speed" (used then) and "speed_scale" (a slow-run fault).
BT::PortsList speedPorts();

/// The speed the node drives at, from its speed ports.
double commandedSpeed(const BT::TreeNode & node);

}  // namespace velmoran_nav2_sim

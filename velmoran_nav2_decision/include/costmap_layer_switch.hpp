#pragma once

#include <rclcpp/rclcpp.hpp>

namespace bt_navigator
{

/// Laser layers of the costmaps: while riding an elevator its own layer replaces the usual top
/// and foot laser layers, which would see the car's walls as obstacles.
enum class CostmapLayers {
  kLiftRide,
  kDefault,
};

/// Sets `layers` on "/local_costmap/local_costmap", then on "/global_costmap/global_costmap", one
/// atomic parameter request per node through `node`. A node whose parameter service does not show
/// up within a second ends the switching; a refused request is logged and the switching goes on.
/// Raises std::invalid_argument for a null `node`.
void switchCostmapLayers(const rclcpp::Node::SharedPtr & node, CostmapLayers layers);

}  // namespace bt_navigator

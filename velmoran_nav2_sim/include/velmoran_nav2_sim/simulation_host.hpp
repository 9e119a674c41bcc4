#pragma once

#include <memory>
#include <string>
#include <vector>

#include <rclcpp/rclcpp.hpp>

#include "velmoran_nav2_sim/costmap_sim_node.hpp"
#include "velmoran_nav2_sim/geometry.hpp"
#include "velmoran_nav2_sim/sim_robot.hpp"
#include "velmoran_nav2_sim/spin_thread.hpp"

namespace bt_navigator
{
class NavDecision;
}  // namespace bt_navigator

namespace velmoran_nav2_sim
{

/// The decision node and the simulation in one process: the simulated robot, the two costmap
/// nodes, and the node running the simulation's tree with the simulated tree nodes, all spun by
/// one executor thread. Needs an initialised ROS context.
class SimulationHost
{
public:
  struct Options
  {
    std::string tree_file;
    std::vector<std::string> plugin_libraries;
    double time_factor = 1.0;
    Pose2D start;
    std::vector<Polygon2D> obstacles;
    /// Where jobs record their goal poses (with a trailing slash).
    std::string goal_record_directory = "/opt/velmoran/kestrova/path/";
  };

  /// Throws std::runtime_error when the node does not become active.
  explicit SimulationHost(const Options & options);
  ~SimulationHost();

  SimulationHost(const SimulationHost &) = delete;
  SimulationHost & operator=(const SimulationHost &) = delete;

  SimRobot & robot() { return *robot_; }
  CostmapSimNode & localCostmap() { return *local_costmap_; }
  CostmapSimNode & globalCostmap() { return *global_costmap_; }

private:
  std::shared_ptr<SimRobot> robot_;
  std::unique_ptr<CostmapSimNode> local_costmap_;
  std::unique_ptr<CostmapSimNode> global_costmap_;
  std::shared_ptr<bt_navigator::NavDecision> decision_;
  /// The costmap nodes spin apart: a job still ending when the host goes (an elevator job
  /// switching its layers back) needs them until the node is gone.
  SpinThread costmap_spinner_;
  SpinThread spinner_;
};

}  // namespace velmoran_nav2_sim

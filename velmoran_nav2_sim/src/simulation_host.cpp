#include "velmoran_nav2_sim/simulation_host.hpp"

#include <stdexcept>

#include <lifecycle_msgs/msg/state.hpp>

#include "nav_decision.hpp"
#include "velmoran_nav2_sim/sim_world.hpp"

namespace velmoran_nav2_sim
{

SimulationHost::SimulationHost(const Options & options)
{
  SimRobot::Options robot_options;
  robot_options.start = options.start;
  robot_options.time_factor = options.time_factor;
  robot_ = std::make_shared<SimRobot>(robot_options);
  SimWorld & world = SimWorld::instance();
  world.setRobot(robot_);
  world.setObstacles(options.obstacles);

  local_costmap_ = std::make_unique<CostmapSimNode>("local_costmap");
  global_costmap_ = std::make_unique<CostmapSimNode>("global_costmap");
  costmap_spinner_.add(local_costmap_->node());
  costmap_spinner_.add(global_costmap_->node());
  spinner_.add(robot_->node());

  rclcpp::NodeOptions node_options;
  node_options.parameter_overrides(
    {rclcpp::Parameter("behavior_tree", options.tree_file),
     rclcpp::Parameter("plugin_lib_names", options.plugin_libraries)});
  decision_ =
    std::make_shared<bt_navigator::NavDecision>(node_options, options.goal_record_directory);
  decision_->init();
  if (decision_->get_current_state().id() != lifecycle_msgs::msg::State::PRIMARY_STATE_ACTIVE) {
    throw std::runtime_error(
      "the decision node did not become active with the tree " + options.tree_file);
  }
  spinner_.add(decision_->get_node_base_interface());
}

SimulationHost::~SimulationHost()
{
  spinner_.stop();
  decision_.reset();
  costmap_spinner_.stop();
  SimWorld::instance().reset();
}

}  // namespace velmoran_nav2_sim

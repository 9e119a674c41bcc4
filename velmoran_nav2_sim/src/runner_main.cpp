// velmoran_nav2_sim_runner: plays a scenario through the decision node and a simulated robot.
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <rclcpp/rclcpp.hpp>

#include "logging/logger.hpp"
#include "velmoran_nav2_sim/scenario_runner.hpp"

int main(int argc, char ** argv)
{
  const std::vector<std::string> arguments = rclcpp::remove_ros_arguments(argc, argv);
  velmoran_nav2_sim::ScenarioRunner::Options defaults;
  defaults.scenario_file = VELMORAN_SIM_DEFAULT_SCENARIO;
  defaults.tree_file = VELMORAN_SIM_DEFAULT_TREE;
  defaults.plugin_libraries = {VELMORAN_SIM_NODES_LIBRARY};
  velmoran_nav2_sim::ScenarioRunner::Options options;
  try {
    options = velmoran_nav2_sim::ScenarioRunner::parseArguments(
      std::vector<std::string>(arguments.begin() + 1, arguments.end()), defaults);
  } catch (const std::invalid_argument & error) {
    std::cerr << error.what() << "\n";
    return 2;
  }
  rclcpp::init(argc, argv);
  velmoran::Logger::Instance("nav2_decision");
  const int status = velmoran_nav2_sim::ScenarioRunner::run(options, std::cout, std::cerr);
  rclcpp::shutdown();
  return status;
}

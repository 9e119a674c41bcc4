// velmoran_nav2_sim_runner: plays a scenario through the decision node and a simulated robot.
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <rclcpp/rclcpp.hpp>

#include "logging/logger.hpp"
#include "velmoran_nav2_sim/interruption.hpp"
#include "velmoran_nav2_sim/scenario_runner.hpp"
#include "velmoran_nav2_sim/signal_watcher.hpp"

int main(int argc, char ** argv)
{
  // First, before any thread starts: Ctrl-C ends the run through the runner, which cancels the
  // running job and prints what ran, instead of shutting the ROS context down under it.
  velmoran_nav2_sim::Interruption interruption;
  const velmoran_nav2_sim::SignalWatcher signals(
    [&interruption](int signal) { interruption.request(signal); });
  const std::vector<std::string> arguments = rclcpp::remove_ros_arguments(argc, argv);
  velmoran_nav2_sim::ScenarioRunner::Options defaults;
  defaults.scenario_file = VELMORAN_SIM_DEFAULT_SCENARIO;
  defaults.tree_file = VELMORAN_SIM_DEFAULT_TREE;
  defaults.plugin_libraries = {VELMORAN_SIM_NODES_LIBRARY};
  defaults.node_executable = VELMORAN_SIM_NODE_EXECUTABLE;
  velmoran_nav2_sim::ScenarioRunner::Options options;
  try {
    options = velmoran_nav2_sim::ScenarioRunner::parseArguments(
      std::vector<std::string>(arguments.begin() + 1, arguments.end()), defaults);
  } catch (const std::invalid_argument & error) {
    std::cerr << error.what() << "\n";
    return 2;
  }
  if (options.node_process) {
    // This process talks to the node over DDS too: the transport is chosen at initialisation.
    try {
      for (const auto & [name, value] : velmoran_nav2_sim::ScenarioRunner::nodeProcessTransport()) {
        setenv(name.c_str(), value.c_str(), 1);
      }
    } catch (const std::invalid_argument & error) {
      std::cerr << error.what() << "\n";
      return 2;
    }
  }
  rclcpp::init(argc, argv, rclcpp::InitOptions(), rclcpp::SignalHandlerOptions::None);
  velmoran::Logger::Instance("nav2_decision");
  int status = 2;
  try {
    status = velmoran_nav2_sim::ScenarioRunner::run(options, std::cout, std::cerr, interruption);
  } catch (const std::exception & error) {
    std::cerr << "the scenario runner failed: " << error.what() << "\n";
  }
  rclcpp::shutdown();
  return status;
}

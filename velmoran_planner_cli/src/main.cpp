// velmoran_planner: sends jobs and requests to the navigation decision node.

#include <unistd.h>

#include <exception>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "rclcpp/rclcpp.hpp"
#include "velmoran_planner_cli/command_wait.hpp"
#include "velmoran_planner_cli/planner_arguments.hpp"
#include "velmoran_planner_cli/planner_client.hpp"
#include "velmoran_planner_cli/usage_error.hpp"

int main(int argc, char ** argv)
{
  using velmoran_planner::PlannerArguments;
  velmoran_planner::PlannerRequest request;
  try {
    request = PlannerArguments::parse(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const velmoran_planner::UsageError & error) {
    std::cerr << PlannerArguments::synopsis() << "velmoran_planner: error: " << error.what()
              << std::endl;
    return 2;
  }
  if (request.verb == velmoran_planner::Verb::Help) {
    std::cout << PlannerArguments::help();
    return 0;
  }

  // Before any other thread exists: it takes Ctrl-C for the whole process.
  velmoran_planner::CommandWait wait;
  int status = 1;
  try {
    // The command line is the tool's own; ROS takes its settings from the environment.
    rclcpp::init(1, argv, rclcpp::InitOptions(), rclcpp::SignalHandlerOptions::None);
    auto node = std::make_shared<rclcpp::Node>("velmoran_planner_" + std::to_string(getpid()));
    rclcpp::executors::SingleThreadedExecutor executor;
    executor.add_node(node);
    std::thread spinner([&executor] { executor.spin(); });
    {
      velmoran_planner::PlannerClient client(node, request, wait, std::cout, std::cerr);
      try {
        status = client.run();
      } catch (const std::exception & error) {
        std::cerr << "velmoran_planner: " << error.what() << std::endl;
      }
    }
    executor.cancel();
    spinner.join();
    executor.remove_node(node);
    node.reset();
    rclcpp::shutdown();
  } catch (const std::exception & error) {
    std::cerr << "velmoran_planner: " << error.what() << std::endl;
  }
  return status;
}

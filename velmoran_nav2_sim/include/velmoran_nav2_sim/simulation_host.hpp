#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <rclcpp/rclcpp.hpp>

#include "velmoran_nav2_sim/costmap_sim_node.hpp"
#include "velmoran_nav2_sim/geometry.hpp"
#include "velmoran_nav2_sim/node_process.hpp"
#include "velmoran_nav2_sim/sim_robot.hpp"
#include "velmoran_nav2_sim/spin_thread.hpp"
#include "velmoran_nav2_sim/world_link_server.hpp"

namespace bt_navigator
{
class NavDecision;
}  // namespace bt_navigator

namespace velmoran_nav2_sim
{

/// The decision node and the simulation: the simulated robot, the two costmap nodes, and the node
/// running the simulation's tree with the simulated tree nodes. The node runs in this process,
/// spun with the robot by one executor thread, or in a child process of its own started from the
/// node's executable, whose tree nodes reach this process's SimWorld through a WorldLink. Needs
/// an initialised ROS context.
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
    /// The decision node's executable, to run the node in a child process (with its own goal
    /// record directory); empty: the node runs in this process.
    std::string node_executable;
    /// Variables the child process gets on top of this process's environment.
    std::map<std::string, std::string> node_environment;
  };

  /// Throws std::runtime_error when the node does not become active, or its process does not
  /// start.
  explicit SimulationHost(const Options & options);
  ~SimulationHost();

  SimulationHost(const SimulationHost &) = delete;
  SimulationHost & operator=(const SimulationHost &) = delete;

  SimRobot & robot() { return *robot_; }
  CostmapSimNode & localCostmap() { return *local_costmap_; }
  CostmapSimNode & globalCostmap() { return *global_costmap_; }

  /// The id of the node's child process; 0 for a node in this process.
  pid_t nodeProcessId() const { return node_process_ ? node_process_->pid() : 0; }
  /// `handler` gets how the node's child process ended when it ends before stopNode(), on a
  /// watcher thread (at once if it ended already); an empty handler stops the calls.
  void onNodeExit(std::function<void(const NodeProcess::Exit &)> handler);
  /// Stops the node's child process: SIGINT, SIGKILL after NodeProcess::kDefaultGrace. How it
  /// ended; nothing for a node in this process.
  std::optional<NodeProcess::Exit> stopNode();

private:
  void waitUntilNodeActive(const std::string & tree_file);
  void nodeEnded(const NodeProcess::Exit & exit);

  std::shared_ptr<SimRobot> robot_;
  std::unique_ptr<CostmapSimNode> local_costmap_;
  std::unique_ptr<CostmapSimNode> global_costmap_;
  std::shared_ptr<bt_navigator::NavDecision> decision_;
  std::unique_ptr<WorldLinkServer> world_server_;
  std::mutex node_exit_mutex_;
  std::function<void(const NodeProcess::Exit &)> node_exit_handler_;
  std::optional<NodeProcess::Exit> early_exit_;
  bool stopping_node_ = false;
  std::unique_ptr<NodeProcess> node_process_;
  /// The costmap nodes spin apart: a job still ending when the host goes (an elevator job
  /// switching its layers back) needs them until the node is gone.
  SpinThread costmap_spinner_;
  SpinThread spinner_;
};

}  // namespace velmoran_nav2_sim

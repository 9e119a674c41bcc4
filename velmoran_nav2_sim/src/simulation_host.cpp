#include "velmoran_nav2_sim/simulation_host.hpp"

#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <utility>

#include <fmt/format.h>
#include <lifecycle_msgs/msg/state.hpp>
#include <lifecycle_msgs/srv/get_state.hpp>

#include "nav_decision.hpp"
#include "velmoran_nav2_sim/sim_world.hpp"
#include "velmoran_nav2_sim/world_link.hpp"

namespace velmoran_nav2_sim
{

namespace
{
/// How long the node's process may take to become active: far above what a working node needs.
constexpr std::chrono::seconds kNodeStartTimeout{20};
/// The wait of one state request, after which it is asked again.
constexpr std::chrono::milliseconds kStateAnswerTimeout{500};

/// A YAML single-quoted scalar: the text as it is, whatever characters a path holds.
std::string yamlString(const std::string & text)
{
  std::string quoted = "'";
  for (const char c : text) {
    quoted += c == '\'' ? std::string("''") : std::string(1, c);
  }
  return quoted + "'";
}

/// The same parameters the node in this process gets, as command-line overrides.
std::vector<std::string> nodeArguments(const SimulationHost::Options & options)
{
  std::string libraries;
  for (const auto & library : options.plugin_libraries) {
    libraries += (libraries.empty() ? "" : ", ") + yamlString(library);
  }
  return {
    "--ros-args", "-p", "behavior_tree:=" + yamlString(options.tree_file), "-p",
    "plugin_lib_names:=[" + libraries + "]"};
}
}  // namespace

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

  if (!options.node_executable.empty()) {
    world_server_ =
      std::make_unique<WorldLinkServer>(world, fmt::format("velmoran_sim_world_{}", getpid()));
    auto environment = options.node_environment;
    environment[WorldLink::kAddressVariable] = world_server_->address();
    node_process_ = std::make_unique<NodeProcess>(
      options.node_executable, nodeArguments(options), environment,
      [this](const NodeProcess::Exit & exit) { nodeEnded(exit); });
    waitUntilNodeActive(options.tree_file);
    return;
  }
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
  stopNode();
  spinner_.stop();
  decision_.reset();
  costmap_spinner_.stop();
  world_server_.reset();
  SimWorld::instance().reset();
}

void SimulationHost::waitUntilNodeActive(const std::string & tree_file)
{
  // Its action servers can be seen as soon as it is configured, but take goals only once it is
  // active: the lifecycle state says when.
  using GetState = lifecycle_msgs::srv::GetState;
  const auto watch = std::make_shared<rclcpp::Node>("velmoran_sim_node_watch");
  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(watch);
  const auto client = watch->create_client<GetState>("/velmoran_nav2_decision/get_state");
  const auto deadline = std::chrono::steady_clock::now() + kNodeStartTimeout;
  while (!node_process_->exit() && std::chrono::steady_clock::now() < deadline) {
    if (!client->wait_for_service(kStateAnswerTimeout)) {
      continue;
    }
    auto answer = client->async_send_request(std::make_shared<GetState::Request>());
    if (
      executor.spin_until_future_complete(answer, kStateAnswerTimeout) ==
        rclcpp::FutureReturnCode::SUCCESS &&
      answer.get()->current_state.id == lifecycle_msgs::msg::State::PRIMARY_STATE_ACTIVE) {
      return;
    }
    client->remove_pending_request(answer.request_id);
    node_process_->waitForExit(kStateAnswerTimeout);
  }
  if (const auto exit = node_process_->exit()) {
    throw std::runtime_error(
      fmt::format("the decision node's process {} before it became active", exit->describe()));
  }
  throw std::runtime_error(fmt::format(
    "the decision node's process did not become active within {} s with the tree {}",
    kNodeStartTimeout.count(), tree_file));
}

void SimulationHost::onNodeExit(std::function<void(const NodeProcess::Exit &)> handler)
{
  std::lock_guard<std::mutex> lock(node_exit_mutex_);
  node_exit_handler_ = std::move(handler);
  if (node_exit_handler_ && early_exit_) {
    node_exit_handler_(*early_exit_);
  }
}

void SimulationHost::nodeEnded(const NodeProcess::Exit & exit)
{
  std::lock_guard<std::mutex> lock(node_exit_mutex_);
  if (stopping_node_) {
    return;
  }
  early_exit_ = exit;
  if (node_exit_handler_) {
    node_exit_handler_(exit);
  }
}

std::optional<NodeProcess::Exit> SimulationHost::stopNode()
{
  if (!node_process_) {
    return std::nullopt;
  }
  {
    std::lock_guard<std::mutex> lock(node_exit_mutex_);
    stopping_node_ = true;
  }
  return node_process_->stop();
}

}  // namespace velmoran_nav2_sim

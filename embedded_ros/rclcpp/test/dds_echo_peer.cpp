// The other process of the DDS tests. It runs until its standard input is closed, as one of:
//   echo <from> <to> <reliable|best_effort> <volatile|transient_local>
//       republishes every PoseStamped it receives on <from> on <to>, with the same QoS;
//   service <name>
//       serves std_srvs/srv/SetBool: success echoes data, message says which;
//   planner_server <action>
//       serves velmoran_protocol/action/Planner: a goal with run_mode NAVIGATION sends one
//       feedback per goal pose and succeeds; any other goal sends feedback every 50 ms until
//       it is canceled;
//   planner_client <action>
//       sends one Planner goal with run_mode CHARGE, which the client asks the result of;
//   graph <namespace> <topic>
//       runs its node in <namespace>, publishes a PoseStamped on <topic> every 20 ms and
//       subscribes to <topic>.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "child_process.hpp"
#include "geometry_msgs/msg/pose_stamped.hpp"
#include "rclcpp/rclcpp.hpp"
#include "rclcpp_action/rclcpp_action.hpp"
#include "std_srvs/srv/set_bool.hpp"
#include "velmoran_protocol/action/planner.hpp"

namespace
{

using Planner = velmoran_protocol::action::Planner;
using PlannerGoalHandle = rclcpp_action::ServerGoalHandle<Planner>;

/// Runs the goals of a Planner server, each on a thread of its own.
class PlannerExecution
{
public:
  ~PlannerExecution()
  {
    stopping_ = true;
    for (auto & thread : threads_) {
      thread.join();
    }
  }

  void start(std::shared_ptr<PlannerGoalHandle> goal)
  {
    threads_.emplace_back([this, goal]() { execute(goal); });
  }

private:
  void execute(const std::shared_ptr<PlannerGoalHandle> & goal)
  {
    const auto request = goal->get_goal();
    auto feedback = std::make_shared<Planner::Feedback>();
    auto result = std::make_shared<Planner::Result>();
    for (int32_t index = 0; !stopping_; ++index) {
      if (goal->is_canceling()) {
        result->message = "canceled";
        goal->canceled(result);
        return;
      }
      const bool finite = request->run_mode == Planner::Goal::NAVIGATION;
      if (finite && index == static_cast<int32_t>(request->goal_poses.size())) {
        result->success = true;
        result->index = index;
        result->message = "reached " + std::to_string(index) + " poses";
        result->global_path = request->goal_poses;
        goal->succeed(result);
        return;
      }
      feedback->index = index;
      if (finite) {
        feedback->pose = request->goal_poses[static_cast<size_t>(index)];
      }
      goal->publish_feedback(feedback);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

  std::atomic<bool> stopping_{false};
  std::vector<std::thread> threads_;
};

}  // namespace

int main(int argc, char ** argv)
{
  const std::string mode = argc > 1 ? argv[1] : "";
  const bool valid =
    (mode == "echo" && argc == 6) ||
    ((mode == "service" || mode == "planner_server" || mode == "planner_client") && argc == 3) ||
    (mode == "graph" && argc == 4);
  if (!valid) {
    std::fprintf(
      stderr,
      "usage: %s echo <from> <to> <reliable|best_effort> <volatile|transient_local>\n"
      "       %s service|planner_server|planner_client <name>\n"
      "       %s graph <namespace> <topic>\n",
      argv[0], argv[0], argv[0]);
    return 2;
  }
  rclcpp::init(1, argv);
  auto node =
    std::make_shared<rclcpp::Node>("dds_echo_peer", mode == "graph" ? argv[2] : std::string());
  std::vector<std::shared_ptr<void>> entities;
  auto execution = std::make_shared<PlannerExecution>();
  if (mode == "echo") {
    rclcpp::QoS qos(100);
    if (std::string(argv[4]) == "best_effort") {
      qos.best_effort();
    }
    if (std::string(argv[5]) == "transient_local") {
      qos.transient_local();
    }
    auto publisher = node->create_publisher<geometry_msgs::msg::PoseStamped>(argv[3], qos);
    entities.push_back(publisher);
    entities.push_back(node->create_subscription<geometry_msgs::msg::PoseStamped>(
      argv[2], qos, [publisher](geometry_msgs::msg::PoseStamped::ConstSharedPtr message) {
        publisher->publish(*message);
      }));
  } else if (mode == "graph") {
    auto publisher = node->create_publisher<geometry_msgs::msg::PoseStamped>(argv[3], 10);
    entities.push_back(publisher);
    entities.push_back(node->create_subscription<geometry_msgs::msg::PoseStamped>(
      argv[3], 10, [](geometry_msgs::msg::PoseStamped::ConstSharedPtr) {}));
    entities.push_back(node->create_wall_timer(std::chrono::milliseconds(20), [publisher]() {
      publisher->publish(geometry_msgs::msg::PoseStamped());
    }));
  } else if (mode == "service") {
    entities.push_back(node->create_service<std_srvs::srv::SetBool>(
      argv[2], [](
                 const std::shared_ptr<std_srvs::srv::SetBool::Request> request,
                 std::shared_ptr<std_srvs::srv::SetBool::Response> response) {
        response->success = request->data;
        response->message = request->data ? "asked for true" : "asked for false";
      }));
  } else if (mode == "planner_server") {
    entities.push_back(rclcpp_action::create_server<Planner>(
      node, argv[2],
      [](const rclcpp_action::GoalUUID &, std::shared_ptr<const Planner::Goal>) {
        return rclcpp_action::GoalResponse::ACCEPT_AND_EXECUTE;
      },
      [](std::shared_ptr<PlannerGoalHandle>) { return rclcpp_action::CancelResponse::ACCEPT; },
      // A goal handle may outlive the server; holding the execution through it would end the
      // execution on one of its own goal threads, which cannot join itself.
      [weak_execution =
         std::weak_ptr<PlannerExecution>(execution)](std::shared_ptr<PlannerGoalHandle> goal) {
        if (const auto running = weak_execution.lock()) {
          running->start(goal);
        }
      }));
  } else {
    auto client = rclcpp_action::create_client<Planner>(node, argv[2]);
    entities.push_back(client);
    if (!client->wait_for_action_server(std::chrono::seconds(20))) {
      std::fprintf(stderr, "no Planner server\n");
      rclcpp::shutdown();
      return 1;
    }
    Planner::Goal goal;
    goal.run_mode = Planner::Goal::CHARGE;
    client->async_send_goal(goal);
  }
  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(node);
  embedded_ros_test::spin_until_input_closes(executor);
  execution.reset();
  entities.clear();
  rclcpp::shutdown();
  return 0;
}

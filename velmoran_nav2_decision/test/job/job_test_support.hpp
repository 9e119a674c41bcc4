#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <rclcpp_action/rclcpp_action.hpp>
#include <std_srvs/srv/set_bool.hpp>
#include <velmoran_protocol/action/planner.hpp>

#include "node_test_support.hpp"

namespace velmoran::test
{

using Planner = velmoran_protocol::action::Planner;
using PlannerGoal = Planner::Goal;
using PlannerClient = rclcpp_action::Client<Planner>;
using PlannerGoalHandle = rclcpp_action::ClientGoalHandle<Planner>;
using PlannerResult = PlannerGoalHandle::WrappedResult;

geometry_msgs::msg::PoseStamped poseAt(double x, double y);
/// A goal of `run_mode` with one pose per (x, y) pair.
PlannerGoal goalWithPoses(int32_t run_mode, const std::vector<std::pair<double, double>> & points);

/// The node serving jobs with a tree made of the test plug-ins, an action client on "planner" and
/// the blackboard open for inspection.
class JobHarness
{
public:
  /// Starts the node with a tree whose main tree is `tree_body` (XML); `parameters` are added.
  explicit JobHarness(
    const std::string & tree_body, std::vector<rclcpp::Parameter> parameters = {});
  ~JobHarness();
  JobHarness(const JobHarness &) = delete;
  JobHarness & operator=(const JobHarness &) = delete;

  /// Sends `goal` and waits for its acceptance.
  PlannerGoalHandle::SharedPtr send(const PlannerGoal & goal);
  /// Waits for the result of `handle`.
  PlannerResult resultOf(const PlannerGoalHandle::SharedPtr & handle);
  /// Asks to cancel `handle` and waits for the answer.
  void cancel(const PlannerGoalHandle::SharedPtr & handle);
  /// Number of times the tree started a run ("test_tree_runs", written by CountRun).
  int treeRuns();
  /// The blackboard's "previous_run_mode", which a job writes after it has reported.
  int previousRunMode();
  /// Calls "stop_task" and waits for the answer.
  void requestStop();

  NodeProbe & node() { return *node_; }
  const TemporaryDirectory & records() const { return records_; }
  const rclcpp::Node::SharedPtr & client() const { return client_; }
  LogCapture & log() { return LogCapture::instance(); }

private:
  TemporaryDirectory files_;
  TemporaryDirectory records_;
  std::shared_ptr<NodeProbe> node_;
  rclcpp::Node::SharedPtr client_;
  PlannerClient::SharedPtr planner_;
  /// Made once: a client made per call would put its creation into every stop a bench times.
  rclcpp::Client<std_srvs::srv::SetBool>::SharedPtr stop_task_;
  std::unique_ptr<Spinner> spinner_;
};

/// Stands in for a costmap node ("/local_costmap/local_costmap" or "/global_costmap/global_costmap")
/// whose layer switches the elevator tasks set: it keeps the parameters and records every request
/// with the number of log lines written before it, so a test can place it among the log lines.
class FakeCostmap
{
public:
  struct Request
  {
    std::size_t log_mark;
    std::vector<rclcpp::Parameter> parameters;
  };

  /// `name` is "local_costmap" or "global_costmap".
  explicit FakeCostmap(const std::string & name);

  std::vector<Request> requests();
  bool enabled(const std::string & layer);
  const rclcpp::Node::SharedPtr & node() const { return node_; }

private:
  rclcpp::Node::SharedPtr node_;
  rclcpp::node_interfaces::OnSetParametersCallbackHandle::SharedPtr on_set_;
  std::mutex mutex_;
  std::vector<Request> requests_;
};

}  // namespace velmoran::test

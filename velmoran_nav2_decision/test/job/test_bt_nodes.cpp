// Tree nodes for the job tests, loaded by the engine as a plug-in library. They stand in for the
// robot's planners and controllers: they succeed, fail, run for a while, or leave the results a
// real tree leaves on the blackboard.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <behaviortree_cpp_v3/action_node.h>
#include <behaviortree_cpp_v3/bt_factory.h>
#include <geometry_msgs/msg/point32.hpp>
#include <geometry_msgs/msg/polygon.hpp>
#include <geometry_msgs/msg/pose_stamped.hpp>
#include <nav_msgs/msg/path.hpp>
#include <velmoran_nav2_protocol/action/global_planning.hpp>
#include <velmoran_nav2_protocol/action/local_planning.hpp>

#include "test_gate.hpp"

namespace
{

using PoseStamped = geometry_msgs::msg::PoseStamped;

PoseStamped poseAt(double x, double y)
{
  PoseStamped pose;
  pose.header.frame_id = "map";
  pose.pose.position.x = x;
  pose.pose.position.y = y;
  return pose;
}

geometry_msgs::msg::Point32 pointAt(float x, float y)
{
  geometry_msgs::msg::Point32 point;
  point.x = x;
  point.y = y;
  return point;
}

/// Counts its ticks in "test_tree_runs" and succeeds: placed first in a tree, it counts the runs.
class CountRun : public BT::SyncActionNode
{
public:
  CountRun(const std::string & name, const BT::NodeConfiguration & config)
  : BT::SyncActionNode(name, config)
  {
  }
  static BT::PortsList providedPorts() { return {}; }
  BT::NodeStatus tick() override
  {
    int runs = 0;
    config().blackboard->get("test_tree_runs", runs);
    config().blackboard->set("test_tree_runs", runs + 1);
    return BT::NodeStatus::SUCCESS;
  }
};

/// Ends as its port "outcome" says: "success", "failure", "always_success" or "always_failure"
/// (raise that blackboard flag and keep running until the job acts on it), or "hold" (keep running
/// until the blackboard's "test_release" is true, then succeed). Counts its halts in "test_halts" and stamps the last in "test_halt_ns" (steady
/// clock).
class Outcome : public BT::StatefulActionNode
{
public:
  Outcome(const std::string & name, const BT::NodeConfiguration & config)
  : BT::StatefulActionNode(name, config)
  {
  }
  static BT::PortsList providedPorts() { return {BT::InputPort<std::string>("outcome")}; }
  BT::NodeStatus onStart() override
  {
    outcome_ = "success";
    getInput("outcome", outcome_);
    if (outcome_ == "always_success" || outcome_ == "always_failure") {
      config().blackboard->set(outcome_, true);
    }
    return onRunning();
  }
  BT::NodeStatus onRunning() override
  {
    if (outcome_ == "success") {
      return BT::NodeStatus::SUCCESS;
    }
    if (outcome_ == "failure") {
      return BT::NodeStatus::FAILURE;
    }
    bool released = false;
    config().blackboard->get("test_release", released);
    return outcome_ == "hold" && released ? BT::NodeStatus::SUCCESS : BT::NodeStatus::RUNNING;
  }
  void onHalted() override
  {
    config().blackboard->set(
      "test_halt_ns",
      static_cast<int64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    int halts = 0;
    config().blackboard->get("test_halts", halts);
    config().blackboard->set("test_halts", halts + 1);
  }

private:
  std::string outcome_;
};

/// Holds its tick at the blackboard's "test_gate" until the test opens it; passes without one.
class Gate : public BT::SyncActionNode
{
public:
  Gate(const std::string & name, const BT::NodeConfiguration & config)
  : BT::SyncActionNode(name, config)
  {
  }
  static BT::PortsList providedPorts() { return {}; }
  BT::NodeStatus tick() override
  {
    std::shared_ptr<velmoran::test::TestGate> gate;
    if (config().blackboard->get("test_gate", gate) && gate) {
      gate->passThrough();
    }
    return BT::NodeStatus::SUCCESS;
  }
};

/// Records the steady-clock time of its tick in "test_first_tick_ns".
class StampTick : public BT::SyncActionNode
{
public:
  StampTick(const std::string & name, const BT::NodeConfiguration & config)
  : BT::SyncActionNode(name, config)
  {
  }
  static BT::PortsList providedPorts() { return {}; }
  BT::NodeStatus tick() override
  {
    config().blackboard->set(
      "test_first_tick_ns",
      static_cast<int64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    return BT::NodeStatus::SUCCESS;
  }
};

/// "post_task_pose" = `count` poses at (i, 0).
class WritePostTaskPose : public BT::SyncActionNode
{
public:
  WritePostTaskPose(const std::string & name, const BT::NodeConfiguration & config)
  : BT::SyncActionNode(name, config)
  {
  }
  static BT::PortsList providedPorts() { return {BT::InputPort<int>("count")}; }
  BT::NodeStatus tick() override
  {
    int count = 0;
    getInput("count", count);
    std::vector<PoseStamped> path;
    for (int i = 0; i < count; ++i) {
      path.push_back(poseAt(i, 0.0));
    }
    config().blackboard->set("post_task_pose", path);
    return BT::NodeStatus::SUCCESS;
  }
};

/// "post_task_pose" = a text, which no report can use.
class WriteBrokenPostTaskPose : public BT::SyncActionNode
{
public:
  WriteBrokenPostTaskPose(const std::string & name, const BT::NodeConfiguration & config)
  : BT::SyncActionNode(name, config)
  {
  }
  static BT::PortsList providedPorts() { return {}; }
  BT::NodeStatus tick() override
  {
    config().blackboard->set("post_task_pose", 7);
    return BT::NodeStatus::SUCCESS;
  }
};

/// "global_result" with two segments: (0, 0), (1, 0) and (2, 0).
class WriteGlobalResult : public BT::SyncActionNode
{
public:
  WriteGlobalResult(const std::string & name, const BT::NodeConfiguration & config)
  : BT::SyncActionNode(name, config)
  {
  }
  static BT::PortsList providedPorts() { return {}; }
  BT::NodeStatus tick() override
  {
    velmoran_nav2_protocol::action::GlobalPlanning_Result result;
    nav_msgs::msg::Path first;
    first.poses = {poseAt(0.0, 0.0), poseAt(1.0, 0.0)};
    nav_msgs::msg::Path second;
    second.poses = {poseAt(2.0, 0.0)};
    result.path_segments = {first, second};
    config().blackboard->set("global_result", result);
    return BT::NodeStatus::SUCCESS;
  }
};

/// "local_result" with a cleaned area of 12.5 and one residue zone (1, 2), (3, 4).
class WriteLocalResult : public BT::SyncActionNode
{
public:
  WriteLocalResult(const std::string & name, const BT::NodeConfiguration & config)
  : BT::SyncActionNode(name, config)
  {
  }
  static BT::PortsList providedPorts() { return {}; }
  BT::NodeStatus tick() override
  {
    velmoran_nav2_protocol::action::LocalPlanning_Result result;
    result.cleaned_area = 12.5F;
    geometry_msgs::msg::Polygon zone;
    zone.points = {pointAt(1.0F, 2.0F), pointAt(3.0F, 4.0F)};
    result.residues_zones = {zone};
    config().blackboard->set("local_result", result);
    return BT::NodeStatus::SUCCESS;
  }
};

}  // namespace

BT_REGISTER_NODES(factory)
{
  factory.registerNodeType<CountRun>("CountRun");
  factory.registerNodeType<Outcome>("Outcome");
  factory.registerNodeType<Gate>("Gate");
  factory.registerNodeType<StampTick>("StampTick");
  factory.registerNodeType<WritePostTaskPose>("WritePostTaskPose");
  factory.registerNodeType<WriteBrokenPostTaskPose>("WriteBrokenPostTaskPose");
  factory.registerNodeType<WriteGlobalResult>("WriteGlobalResult");
  factory.registerNodeType<WriteLocalResult>("WriteLocalResult");
}

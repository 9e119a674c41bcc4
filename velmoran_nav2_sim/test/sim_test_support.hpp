#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <behaviortree_cpp_v3/bt_factory.h>
#include <rclcpp/rclcpp.hpp>

#include "velmoran_nav2_sim/sim_robot.hpp"
#include "velmoran_nav2_sim/spin_thread.hpp"

namespace velmoran_nav2_sim::test
{

/// A simulated robot spun on a thread of its own and installed in SimWorld, with obstacles.
class RobotFixture
{
public:
  explicit RobotFixture(double time_factor, Pose2D start = {});
  ~RobotFixture();
  RobotFixture(const RobotFixture &) = delete;
  RobotFixture & operator=(const RobotFixture &) = delete;

  SimRobot & robot() { return *robot_; }
  const std::shared_ptr<SimRobot> & shared() { return robot_; }
  /// Adds a node to the executor.
  void spin(const rclcpp::Node::SharedPtr & node) { spinner_.add(node); }

private:
  std::shared_ptr<SimRobot> robot_;
  SpinThread spinner_;
};

/// A tree of the simulated nodes (loaded from their plug-in library) whose main tree is `body`.
BT::Tree simTree(const std::string & body, const BT::Blackboard::Ptr & blackboard);

/// Ticks the tree once per robot step until it is no longer RUNNING or `timeout` passes.
BT::NodeStatus tickUntilDone(
  BT::Tree & tree, SimRobot & robot, std::chrono::milliseconds timeout = std::chrono::seconds(20));

/// The speed driven between the first and the last sample whose pose is `under_way`: path
/// length over simulated time. How late the drive started after the test asked for it, and how
/// long the step that arrived was, do not change it. NaN with fewer than two such samples.
double speedUnderWay(
  const std::vector<SimRobot::Sample> & trajectory,
  const std::function<bool(const Pose2D &)> & under_way);

}  // namespace velmoran_nav2_sim::test

#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <rclcpp/rclcpp.hpp>

#include "log_capture.hpp"
#include "nav_decision.hpp"

namespace velmoran::test
{

/// The node with its state open to the tests.
class NodeProbe : public bt_navigator::NavDecision
{
public:
  using NavDecision::NavDecision;

  using NavDecision::blackboard_;
  using NavDecision::current_bt_xml_filename_;
  using NavDecision::default_run_mode_;
  using NavDecision::emergency_stop_flag_;
  using NavDecision::eucleadian_dist_thr_;
  using NavDecision::global_frame_;
  using NavDecision::previous_run_mode_;
  using NavDecision::robot_base_frame_;
  using NavDecision::stop_task_flag_;
  using NavDecision::tf_;
  using NavDecision::transform_tolerance_;
  using NavDecision::tree_;
  using NavDecision::tree_tick_period_;
  using NavDecision::yaw_diff_thr_;

  /// While set, robot-pose look-ups throw as a broken transform tree would.
  std::atomic<bool> pose_lookup_throws{false};

protected:
  bool lookUpRobotPose(geometry_msgs::msg::PoseStamped & pose) override
  {
    if (pose_lookup_throws.load()) {
      throw std::runtime_error("transform tree unavailable");
    }
    return NavDecision::lookUpRobotPose(pose);
  }
};

/// A directory of its own for one test, removed with the object.
class TemporaryDirectory
{
public:
  TemporaryDirectory();
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory &) = delete;
  TemporaryDirectory & operator=(const TemporaryDirectory &) = delete;

  const std::filesystem::path & path() const { return path_; }
  /// The directory with a trailing slash, as the goal-record writer takes it.
  std::string withSlash() const { return path_.string() + "/"; }
  /// Writes `text` to `name` in the directory and returns the file's path.
  std::string write(const std::string & name, const std::string & text) const;

private:
  std::filesystem::path path_;
};

/// A behaviour tree file text with `body` as the main tree's only child.
std::string treeXml(const std::string & body);

/// Spins nodes on a thread of its own until destroyed.
class Spinner
{
public:
  explicit Spinner(
    const std::vector<rclcpp::node_interfaces::NodeBaseInterface::SharedPtr> & nodes);
  ~Spinner();
  Spinner(const Spinner &) = delete;
  Spinner & operator=(const Spinner &) = delete;

private:
  rclcpp::executors::SingleThreadedExecutor executor_;
  std::atomic<bool> running_{true};
  std::promise<void> stopped_;
  std::thread thread_;
};

/// Checks `condition` until it holds or `timeout` passes; for state that has no event to wait on.
bool waitUntil(
  const std::function<bool()> & condition,
  std::chrono::milliseconds timeout = std::chrono::seconds(10));

/// Node options with the given parameter overrides.
rclcpp::NodeOptions optionsWith(const std::vector<rclcpp::Parameter> & parameters);

}  // namespace velmoran::test

#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <behaviortree_cpp_v3/blackboard.h>
#include <behaviortree_cpp_v3/bt_factory.h>
#include <geometry_msgs/msg/point32.hpp>
#include <geometry_msgs/msg/pose_stamped.hpp>
#include <geometry_msgs/msg/quaternion.hpp>

#include "recording_sink.hpp"
#include "robot_task_base.hpp"

namespace bt_navigator::test
{

using Goal = RobotTaskBase::Goal;

/// Rotation by `angle` radians about the axis (ax, ay, az).
geometry_msgs::msg::Quaternion rotationAbout(double ax, double ay, double az, double angle);
/// Pose at (x, y) with heading `yaw`, in frame "odom" (tasks must rewrite it to "map").
geometry_msgs::msg::PoseStamped poseAt(double x, double y, double yaw = 0.0);
geometry_msgs::msg::Point32 point32(float x, float y, float z = 0.0F);
double yawOf(const geometry_msgs::msg::Quaternion & q);

/// rclcpp::init once per test process, for the tests that need nodes.
void ensureRosInitialised();

/// As the first member of a class that holds rclcpp objects: ROS is initialised before they are
/// created (an executor or node refuses a context that was never initialised).
struct RosInitialised
{
  RosInitialised() { ensureRosInitialised(); }
};

std::shared_ptr<Goal> makeGoal(
  int32_t run_mode, std::vector<geometry_msgs::msg::PoseStamped> poses = {});

/// A fresh blackboard seeded as the node seeds it, a tree whose root blackboard it is, and the
/// process logger recording every line.
class TaskTest : public ::testing::Test
{
protected:
  TaskTest();

  /// Texts of the recorded lines at `level`.
  std::vector<std::string> linesAt(spdlog::level::level_enum level);
  /// Whether a line at `level` reads exactly `text`.
  bool logged(spdlog::level::level_enum level, const std::string & text);

  template <typename T>
  T entry(const std::string & key)
  {
    return blackboard_->get<T>(key);
  }
  bool hasEntry(const std::string & key) { return blackboard_->getAny(key) != nullptr; }

  BT::Blackboard::Ptr blackboard_;
  BT::Tree tree_;
  std::unique_ptr<velmoran::test::AttachedRecordingSink> log_;
};

}  // namespace bt_navigator::test

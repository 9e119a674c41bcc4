#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <tf2_ros/transform_broadcaster.h>
#include <geometry_msgs/msg/twist.hpp>
#include <rclcpp/rclcpp.hpp>

#include "velmoran_nav2_sim/geometry.hpp"
#include "velmoran_nav2_sim/mobile_base.hpp"

namespace velmoran_nav2_sim
{

/// A robot base without hardware: it drives commanded waypoint lists kinematically at the
/// commanded speed, publishes its pose as the transform global frame -> base frame on "/tf", and
/// stops on a zero velocity on "cmd_vel" (the decision program's stop command). Its simulated
/// clock runs `time_factor` times faster than the wall clock, so motion does too.
class SimRobot : public MobileBase
{
public:
  struct Options
  {
    Pose2D start;
    double time_factor = 1.0;
    /// Turning speed, rad/s of simulated time.
    double angular_speed = 2.0;
    std::chrono::milliseconds step{10};
    std::string global_frame = "map";
    std::string base_frame = "base_footprint";
  };

  struct Sample
  {
    double sim_time;
    Pose2D pose;
    int tag;
  };

  explicit SimRobot(const Options & options);

  /// The ROS node of the robot; spin it to move the robot and to receive stop commands.
  rclcpp::Node::SharedPtr node() const { return node_; }

  /// Throws std::invalid_argument for a waypoint outside the world (see insideWorld) or a speed
  /// that is negative or not finite: the robot's pose stays finite.
  std::uint64_t drive(std::vector<Pose2D> waypoints, double speed, Heading heading) override;
  void stop() override;
  MotionStatus status() const override;
  Pose2D pose() const override;
  /// Seconds of simulated time since start.
  double simTime() const;
  double timeFactor() const;

  /// Labels the trajectory recorded from now on (the runner's job number).
  void setTag(int tag);
  std::vector<Sample> trajectory() const;
  /// Metres driven while `tag` was set.
  double distanceDriven(int tag) const;
  /// Number of stop commands received on "cmd_vel".
  int stopCommands() const;

  /// Checks `condition` after every motion step until it holds or `timeout` of wall time passed.
  bool waitFor(const std::function<bool()> & condition, std::chrono::milliseconds timeout) const;
  /// Waits until the simulated clock reads `sim_time`, or `timeout` of wall time passed.
  bool waitUntilSimTime(double sim_time, std::chrono::milliseconds timeout) const;

private:
  void onStep();
  void advance(double dt);
  void rotateTowards(double yaw, double dt);
  void record();
  void publishTransform();
  void onVelocity(const geometry_msgs::msg::Twist & twist);

  Options options_;
  rclcpp::Node::SharedPtr node_;
  std::unique_ptr<tf2_ros::TransformBroadcaster> broadcaster_;
  rclcpp::Subscription<geometry_msgs::msg::Twist>::SharedPtr velocity_sub_;
  rclcpp::TimerBase::SharedPtr timer_;

  mutable std::mutex mutex_;
  mutable std::condition_variable stepped_;
  std::chrono::steady_clock::time_point last_step_;
  Pose2D pose_;
  double sim_time_ = 0.0;
  std::uint64_t steps_ = 0;
  std::vector<Pose2D> waypoints_;
  double speed_ = 0.0;
  Heading heading_ = Heading::kAlongPath;
  MotionStatus status_;
  int tag_ = 0;
  std::vector<Sample> trajectory_;
  std::map<int, double> distance_by_tag_;
  int stop_commands_ = 0;
};

}  // namespace velmoran_nav2_sim

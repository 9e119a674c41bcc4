#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "velmoran_nav2_sim/mobile_base.hpp"

namespace velmoran_nav2_sim
{

/// Drives the robot through a waypoint list on behalf of one tree node. When something else
/// stops the robot on the way (a zero velocity from the decision program), the next poll drives
/// on through the waypoints that are left.
class MotionSupervisor
{
public:
  enum class Progress { kRunning, kReached };

  void start(
    std::shared_ptr<MobileBase> robot, std::vector<Pose2D> waypoints, double speed,
    MobileBase::Heading heading);
  Progress poll();
  /// Stops the robot if it is still driving this motion.
  void stop();

  /// Waypoints of the list reached so far.
  std::size_t waypointsReached() const;
  int restarts() const { return restarts_; }

private:
  void resume();

  std::shared_ptr<MobileBase> robot_;
  std::vector<Pose2D> waypoints_;
  double speed_ = 0.0;
  MobileBase::Heading heading_ = MobileBase::Heading::kAlongPath;
  std::uint64_t command_ = 0;
  /// Waypoints reached before the running command was given.
  std::size_t offset_ = 0;
  int restarts_ = 0;
};

}  // namespace velmoran_nav2_sim

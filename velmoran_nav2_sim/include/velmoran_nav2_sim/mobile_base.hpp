#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "velmoran_nav2_sim/geometry.hpp"

namespace velmoran_nav2_sim
{

/// What the simulated tree nodes command: a base that drives through waypoints. The tree nodes
/// reach it through SimWorld, across the plug-in boundary, only by these virtual calls.
class MobileBase
{
public:
  /// How the heading changes on the way: towards the next waypoint, or kept (sideways motion).
  enum class Heading { kAlongPath, kKeep };

  struct MotionStatus
  {
    std::uint64_t command = 0;
    bool active = false;
    bool reached = false;
    std::size_t waypoints_reached = 0;
  };

  virtual ~MobileBase() = default;

  /// Starts driving through `waypoints` at `speed` m/s, replacing any running motion; each
  /// waypoint's yaw is reached on arrival at the last one. Returns the command number.
  virtual std::uint64_t drive(std::vector<Pose2D> waypoints, double speed, Heading heading) = 0;
  /// Ends the running motion where the robot stands.
  virtual void stop() = 0;
  virtual MotionStatus status() const = 0;
  virtual Pose2D pose() const = 0;
};

}  // namespace velmoran_nav2_sim

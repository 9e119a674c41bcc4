#pragma once

#include <cstddef>
#include <vector>

#include "velmoran_nav2_sim/geometry.hpp"

namespace velmoran_nav2_sim
{

/// A boustrophedon sweep over zones: parallel lanes along x, `spacing` apart, alternating in
/// direction, zone after zone. It knows which part of each zone a partial sweep has cleaned.
class CoveragePlan
{
public:
  /// Lanes of all zones together at most: a sweep never grows with the size of its zones beyond.
  static constexpr std::size_t kMaxLanes = 100000;

  /// Throws std::invalid_argument for a spacing that is not positive, and std::length_error for
  /// zones with a non-finite corner or that need more than kMaxLanes lanes.
  CoveragePlan(std::vector<Polygon2D> zones, double spacing);

  const std::vector<Pose2D> & waypoints() const { return waypoints_; }
  /// The waypoints of each zone's sweep, one list per zone (empty for a zone too thin to sweep).
  std::vector<std::vector<Pose2D>> waypointsByZone() const;

  /// Area cleaned once the first `waypoints_reached` waypoints were reached, m^2.
  double cleanedArea(std::size_t waypoints_reached) const;
  /// What is left to clean then: the unswept part of a started zone and every zone not started.
  std::vector<Polygon2D> residues(std::size_t waypoints_reached) const;

private:
  struct Lane
  {
    std::size_t zone;
    /// Upper edge of the strip the lane cleans.
    double top;
    /// Index of the lane's last waypoint.
    std::size_t end_waypoint;
  };

  void planZone(std::size_t zone);
  /// The height across which a zone's lanes run.
  static double laneSpan(const Polygon2D & polygon);
  /// The part of each zone still to clean: whole, partly swept, or empty.
  std::vector<Polygon2D> remainingParts(std::size_t waypoints_reached) const;

  std::vector<Polygon2D> zones_;
  double spacing_;
  std::vector<Pose2D> waypoints_;
  std::vector<Lane> lanes_;
};

}  // namespace velmoran_nav2_sim

#include "velmoran_nav2_sim/coverage_plan.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include <fmt/format.h>

namespace velmoran_nav2_sim
{

CoveragePlan::CoveragePlan(std::vector<Polygon2D> zones, double spacing)
: zones_(std::move(zones)), spacing_(spacing)
{
  if (!(spacing_ > 0.0)) {
    throw std::invalid_argument("coverage lane spacing must be positive");
  }
  double lanes = 0.0;
  for (const Polygon2D & polygon : zones_) {
    for (const Point2D & corner : polygon) {
      if (!std::isfinite(corner.x) || !std::isfinite(corner.y)) {
        throw std::length_error("a zone has a corner that is not a finite number");
      }
    }
    lanes += std::max(1.0, std::ceil(laneSpan(polygon) / spacing_));
  }
  if (lanes > static_cast<double>(kMaxLanes)) {
    throw std::length_error(fmt::format(
      "the zones need {:.0f} lanes {} m apart, more than the {} of a sweep", lanes, spacing_,
      kMaxLanes));
  }
  for (std::size_t zone = 0; zone < zones_.size(); ++zone) {
    planZone(zone);
  }
}

double CoveragePlan::laneSpan(const Polygon2D & polygon)
{
  if (polygon.size() < 3) {
    return 0.0;
  }
  const auto [low, high] = std::minmax_element(
    polygon.begin(), polygon.end(), [](const Point2D & a, const Point2D & b) { return a.y < b.y; });
  return high->y - low->y;
}

void CoveragePlan::planZone(std::size_t zone)
{
  const Polygon2D & polygon = zones_[zone];
  if (polygon.size() < 3) {
    return;
  }
  const auto [low, high] = std::minmax_element(
    polygon.begin(), polygon.end(), [](const Point2D & a, const Point2D & b) { return a.y < b.y; });
  const double bottom = low->y;
  const double top = high->y;
  const auto lane_count =
    static_cast<std::size_t>(std::max(1.0, std::ceil((top - bottom) / spacing_ - 1e-9)));
  const double spacing = (top - bottom) / static_cast<double>(lane_count);
  bool rightwards = true;
  for (std::size_t lane = 0; lane < lane_count; ++lane) {
    const double y = bottom + spacing * (static_cast<double>(lane) + 0.5);
    const auto intervals = scanline(polygon, y);
    if (intervals.empty()) {
      continue;
    }
    const double left = intervals.front().first;
    const double right = intervals.back().second;
    const double yaw = rightwards ? 0.0 : M_PI;
    waypoints_.push_back({rightwards ? left : right, y, yaw});
    waypoints_.push_back({rightwards ? right : left, y, yaw});
    lanes_.push_back(
      {zone, bottom + spacing * static_cast<double>(lane + 1), waypoints_.size() - 1});
    rightwards = !rightwards;
  }
}

std::vector<std::vector<Pose2D>> CoveragePlan::waypointsByZone() const
{
  std::vector<std::vector<Pose2D>> by_zone(zones_.size());
  std::size_t first = 0;
  for (const Lane & lane : lanes_) {
    by_zone[lane.zone].insert(
      by_zone[lane.zone].end(), waypoints_.begin() + static_cast<std::ptrdiff_t>(first),
      waypoints_.begin() + static_cast<std::ptrdiff_t>(lane.end_waypoint + 1));
    first = lane.end_waypoint + 1;
  }
  return by_zone;
}

std::vector<Polygon2D> CoveragePlan::remainingParts(std::size_t waypoints_reached) const
{
  std::vector<Polygon2D> remaining = zones_;
  for (const Lane & lane : lanes_) {
    if (lane.end_waypoint < waypoints_reached) {
      remaining[lane.zone] = clipBelow(zones_[lane.zone], lane.top);
    }
  }
  return remaining;
}

double CoveragePlan::cleanedArea(std::size_t waypoints_reached) const
{
  const std::vector<Polygon2D> remaining = remainingParts(waypoints_reached);
  double cleaned = 0.0;
  for (std::size_t zone = 0; zone < zones_.size(); ++zone) {
    cleaned += area(zones_[zone]) - area(remaining[zone]);
  }
  return cleaned;
}

std::vector<Polygon2D> CoveragePlan::residues(std::size_t waypoints_reached) const
{
  std::vector<Polygon2D> left;
  for (auto & part : remainingParts(waypoints_reached)) {
    if (area(part) > 1e-9) {
      left.push_back(std::move(part));
    }
  }
  return left;
}

}  // namespace velmoran_nav2_sim

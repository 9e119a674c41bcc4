#include "velmoran_nav2_sim/geometry.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmoran_nav2_sim
{

double distance(const Point2D & a, const Point2D & b) { return std::hypot(a.x - b.x, a.y - b.y); }

double distance(const Pose2D & a, const Pose2D & b) { return std::hypot(a.x - b.x, a.y - b.y); }

bool insideWorld(double x, double y)
{
  // Also false for NaN.
  return std::abs(x) <= kWorldLimit && std::abs(y) <= kWorldLimit;
}

double normalizeAngle(double angle)
{
  angle = std::fmod(angle + M_PI, 2.0 * M_PI);
  if (angle <= 0.0) {
    angle += 2.0 * M_PI;
  }
  return angle - M_PI;
}

bool contains(const Polygon2D & polygon, const Point2D & point)
{
  bool inside = false;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const Point2D & a = polygon[i];
    const Point2D & b = polygon[j];
    if (
      (a.y > point.y) != (b.y > point.y) &&
      point.x < (b.x - a.x) * (point.y - a.y) / (b.y - a.y) + a.x) {
      inside = !inside;
    }
  }
  return inside;
}

double area(const Polygon2D & polygon)
{
  if (polygon.size() < 3) {
    return 0.0;
  }
  double twice = 0.0;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    twice += polygon[j].x * polygon[i].y - polygon[i].x * polygon[j].y;
  }
  return std::abs(twice) / 2.0;
}

Polygon2D clipBelow(const Polygon2D & polygon, double y_min)
{
  Polygon2D clipped;
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const Point2D & current = polygon[i];
    const Point2D & next = polygon[(i + 1) % polygon.size()];
    const bool current_in = current.y >= y_min;
    const bool next_in = next.y >= y_min;
    if (current_in) {
      clipped.push_back(current);
    }
    if (current_in != next_in) {
      const double t = (y_min - current.y) / (next.y - current.y);
      clipped.push_back({current.x + t * (next.x - current.x), y_min});
    }
  }
  return clipped;
}

std::vector<std::pair<double, double>> scanline(const Polygon2D & polygon, double y)
{
  std::vector<double> crossings;
  for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const Point2D & a = polygon[i];
    const Point2D & b = polygon[j];
    if ((a.y > y) != (b.y > y)) {
      crossings.push_back(a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y));
    }
  }
  std::sort(crossings.begin(), crossings.end());
  std::vector<std::pair<double, double>> intervals;
  for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
    intervals.emplace_back(crossings[i], crossings[i + 1]);
  }
  return intervals;
}

}  // namespace velmoran_nav2_sim

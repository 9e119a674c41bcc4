#pragma once

#include <vector>

namespace velmoran_nav2_sim
{

struct Point2D
{
  double x = 0.0;
  double y = 0.0;
};

/// A planar pose: position in metres, heading in radians.
struct Pose2D
{
  double x = 0.0;
  double y = 0.0;
  double yaw = 0.0;
};

using Polygon2D = std::vector<Point2D>;

/// The simulated world is the square of coordinates within +-kWorldLimit metres: scenarios give
/// nothing outside it, and the robot drives nowhere outside it.
constexpr double kWorldLimit = 1e6;

/// Whether the point is finite and inside the world.
bool insideWorld(double x, double y);

double distance(const Point2D & a, const Point2D & b);
double distance(const Pose2D & a, const Pose2D & b);

/// The angle in (-pi, pi].
double normalizeAngle(double angle);

/// Even-odd rule; points on an edge may count either way.
bool contains(const Polygon2D & polygon, const Point2D & point);

/// Absolute area (shoelace formula); 0 for fewer than three points.
double area(const Polygon2D & polygon);

/// The part of the polygon with y >= y_min (a half-plane cut, exact for convex polygons).
Polygon2D clipBelow(const Polygon2D & polygon, double y_min);

/// The x intervals where the horizontal line at y runs inside the polygon, sorted.
std::vector<std::pair<double, double>> scanline(const Polygon2D & polygon, double y);

}  // namespace velmoran_nav2_sim

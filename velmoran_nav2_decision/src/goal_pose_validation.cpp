#include "goal_pose_validation.hpp"

#include <cmath>
#include <vector>

#include <fmt/format.h>

#include <tf2/LinearMath/Quaternion.h>
#include <tf2/LinearMath/Vector3.h>

#include "logging/logger.hpp"

namespace bt_navigator
{

namespace
{

constexpr int kInvalidOrientationError = 101100009;
constexpr double kMinSquaredNorm = 1e-6;
constexpr double kVerticalTolerance = 1e-3;
/// Allowed distance of a squared quaternion norm from 1, as the transform library allows it.
constexpr double kUnitTolerance = 0.01;

using Goal = velmoran_protocol::action::Planner::Goal;

/// True for the run modes whose task checks the orientation of each goal pose itself.
bool taskJudgesOrientation(int32_t run_mode)
{
  switch (run_mode) {
    case Goal::STATICHUICOVERAGE:
    case Goal::STATICGONGCOVERAGE:
    case Goal::NAVIGATION4DYNAMICCOVERAGE:
    case Goal::DYNAMICCOVERAGE:
    case Goal::DYNAMICCOVERAGERESIDUESZONES:
    case Goal::FIXED_DISTANCE_NAVIGATION:
    case Goal::NAVIGATION_POSE_OFFSET:
    case Goal::NAVIGATION_LATERAL_MOVE:
    case Goal::NAVIGATION_LATERAL_MOVE_WITH_ODOM:
    case Goal::NAVIGATION_WITH_ARM:
      return false;
    default:
      return true;
  }
}

/// Keeps the first unusable number met.
class NumberCheck
{
public:
  const std::string & problem() const { return problem_; }

  void number(const std::string & field, double value)
  {
    if (problem_.empty() && !std::isfinite(value)) {
      problem_ = fmt::format("{} is {}", field, value);
    }
  }

  void point(const std::string & field, double x, double y, double z)
  {
    number(field + ".x", x);
    number(field + ".y", y);
    number(field + ".z", z);
  }

  void points(const std::string & field, const std::vector<geometry_msgs::msg::Point32> & points)
  {
    for (std::size_t i = 0; i < points.size(); ++i) {
      point(fmt::format("{}[{}]", field, i), points[i].x, points[i].y, points[i].z);
    }
  }

  void zones(const std::string & field, const std::vector<geometry_msgs::msg::Polygon> & zones)
  {
    for (std::size_t i = 0; i < zones.size(); ++i) {
      points(fmt::format("{}[{}].points", field, i), zones[i].points);
    }
  }

  void poses(
    const std::string & field, const std::vector<geometry_msgs::msg::PoseStamped> & poses,
    bool with_orientation)
  {
    for (std::size_t i = 0; i < poses.size(); ++i) {
      const auto & pose = poses[i].pose;
      const std::string name = fmt::format("{}[{}].pose", field, i);
      point(name + ".position", pose.position.x, pose.position.y, pose.position.z);
      if (with_orientation) {
        orientation(name + ".orientation", pose.orientation);
      }
    }
  }

private:
  void orientation(const std::string & field, const geometry_msgs::msg::Quaternion & q)
  {
    number(field + ".x", q.x);
    number(field + ".y", q.y);
    number(field + ".z", q.z);
    number(field + ".w", q.w);
    const double squared_norm = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
    if (problem_.empty() && std::abs(squared_norm - 1.0) > kUnitTolerance) {
      problem_ =
        fmt::format("{} ({}, {}, {}, {}) is not a unit quaternion", field, q.x, q.y, q.z, q.w);
    }
  }

  std::string problem_;
};

}  // namespace

bool isQuaternionValid(const geometry_msgs::msg::Quaternion & q)
{
  if (!std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z) || !std::isfinite(q.w)) {
    return false;
  }
  tf2::Quaternion rotation(q.x, q.y, q.z, q.w);
  if (rotation.length2() < kMinSquaredNorm) {
    return false;
  }
  rotation.normalize();
  const tf2::Vector3 up(0.0, 0.0, 1.0);
  const double dot = tf2::quatRotate(rotation, up).dot(up);
  return std::abs(dot - 1.0) <= kVerticalTolerance;
}

bool checkGoalOrientation(const geometry_msgs::msg::PoseStamped & pose)
{
  if (isQuaternionValid(pose.pose.orientation)) {
    return true;
  }
  LOG_ERROR(
    "Aborting on goal because it was sent with an invalid quaternion, error code is {}",
    kInvalidOrientationError);
  return false;
}

std::string findUnusableNumber(const Goal & goal)
{
  NumberCheck check;
  check.poses("goal_poses", goal.goal_poses, !taskJudgesOrientation(goal.run_mode));
  check.zones("goal_zones", goal.goal_zones);
  check.zones("extra_zones", goal.extra_zones);
  check.points("covered_points", goal.covered_points);
  check.number("distance", goal.distance);
  check.number("max_speed", goal.max_speed);
  check.points("lift_frame", goal.lift_frame);
  check.poses("recommand_work_points", goal.recommand_work_points, true);
  return check.problem();
}

}  // namespace bt_navigator

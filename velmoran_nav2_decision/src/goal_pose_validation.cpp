#include "goal_pose_validation.hpp"

#include <cmath>

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

}  // namespace bt_navigator

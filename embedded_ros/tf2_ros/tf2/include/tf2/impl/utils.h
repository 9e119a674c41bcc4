// Quaternion helpers behind tf2/utils.h, for tf2 and ROS 2 geometry types.
#ifndef TF2__IMPL__UTILS_H_
#define TF2__IMPL__UTILS_H_

#include <cmath>

#include <geometry_msgs/msg/quaternion.hpp>

#include "tf2/LinearMath/Quaternion.h"
#include "tf2/convert.h"
#include "tf2/transform_datatypes.h"

namespace tf2
{
namespace impl
{
inline tf2::Quaternion toQuaternion(const tf2::Quaternion & q) { return q; }

inline tf2::Quaternion toQuaternion(const geometry_msgs::msg::Quaternion & q)
{
  return tf2::Quaternion(q.x, q.y, q.z, q.w);
}

template <typename T>
tf2::Quaternion toQuaternion(const T & t)
{
  return toQuaternion(toMsg<T, geometry_msgs::msg::Quaternion>(t));
}

/// Yaw, pitch and roll of a quaternion that need not be normalised.
inline void getEulerYPR(const tf2::Quaternion & q, double & yaw, double & pitch, double & roll)
{
  const double sqx = q.x() * q.x();
  const double sqy = q.y() * q.y();
  const double sqz = q.z() * q.z();
  const double sqw = q.w() * q.w();
  const double sarg = -2 * (q.x() * q.z() - q.w() * q.y()) / (sqx + sqy + sqz + sqw);
  if (sarg <= -0.99999) {
    pitch = -0.5 * M_PI;
    roll = 0;
    yaw = -2 * std::atan2(q.y(), q.x());
  } else if (sarg >= 0.99999) {
    pitch = 0.5 * M_PI;
    roll = 0;
    yaw = 2 * std::atan2(q.y(), q.x());
  } else {
    pitch = std::asin(sarg);
    roll = std::atan2(2 * (q.y() * q.z() + q.w() * q.x()), sqw - sqx - sqy + sqz);
    yaw = std::atan2(2 * (q.x() * q.y() + q.w() * q.z()), sqw + sqx - sqy - sqz);
  }
}

inline double getYaw(const tf2::Quaternion & q)
{
  double yaw;
  double pitch;
  double roll;
  getEulerYPR(q, yaw, pitch, roll);
  return yaw;
}

}  // namespace impl
}  // namespace tf2

#endif  // TF2__IMPL__UTILS_H_

// Euler angles of anything that converts to a tf2::Quaternion (ROS 2 flavour of
// tf2/utils.h: it works on geometry_msgs::msg types).
#ifndef TF2__UTILS_H_
#define TF2__UTILS_H_

#include "tf2/LinearMath/Quaternion.h"
#include "tf2/LinearMath/Transform.h"
#include "tf2/impl/utils.h"

namespace tf2
{
template <class A>
void getEulerYPR(const A & a, double & yaw, double & pitch, double & roll)
{
  impl::getEulerYPR(impl::toQuaternion(a), yaw, pitch, roll);
}

template <class A>
double getYaw(const A & a)
{
  return impl::getYaw(impl::toQuaternion(a));
}

template <class A>
A getTransformIdentity()
{
  tf2::Transform t;
  t.setIdentity();
  A a;
  convert(t, a);
  return a;
}

}  // namespace tf2

#endif  // TF2__UTILS_H_

// Conversions between tf2's LinearMath types and geometry_msgs, and tf2::doTransform for
// the geometry_msgs types. Rigid-body transforms of positions and poses go through KDL frames,
// like ROS 2 Humble's tf2_geometry_msgs, so results match it to the last bit.
#ifndef TF2_GEOMETRY_MSGS__TF2_GEOMETRY_MSGS_HPP_
#define TF2_GEOMETRY_MSGS__TF2_GEOMETRY_MSGS_HPP_

#include <string>

#include <tf2/LinearMath/Matrix3x3.h>
#include <tf2/LinearMath/Quaternion.h>
#include <tf2/LinearMath/Transform.h>
#include <tf2/LinearMath/Vector3.h>
#include <tf2/convert.h>
#include <tf2_ros/buffer_interface.h>
#include <geometry_msgs/msg/point.hpp>
#include <geometry_msgs/msg/point32.hpp>
#include <geometry_msgs/msg/polygon.hpp>
#include <geometry_msgs/msg/polygon_stamped.hpp>
#include <geometry_msgs/msg/pose.hpp>
#include <geometry_msgs/msg/pose_stamped.hpp>
#include <geometry_msgs/msg/pose_with_covariance_stamped.hpp>
#include <geometry_msgs/msg/quaternion.hpp>
#include <geometry_msgs/msg/transform.hpp>
#include <geometry_msgs/msg/transform_stamped.hpp>
#include <geometry_msgs/msg/vector3.hpp>
#include <kdl/frames.hpp>

namespace tf2
{
inline KDL::Frame gmTransformToKDL(const geometry_msgs::msg::TransformStamped & t)
{
  return KDL::Frame(
    KDL::Rotation::Quaternion(
      t.transform.rotation.x, t.transform.rotation.y, t.transform.rotation.z,
      t.transform.rotation.w),
    KDL::Vector(t.transform.translation.x, t.transform.translation.y, t.transform.translation.z));
}

// ---- Vector3 and Point ----

inline geometry_msgs::msg::Vector3 toMsg(const tf2::Vector3 & in)
{
  geometry_msgs::msg::Vector3 out;
  out.x = in.getX();
  out.y = in.getY();
  out.z = in.getZ();
  return out;
}

inline void fromMsg(const geometry_msgs::msg::Vector3 & in, tf2::Vector3 & out)
{
  out = tf2::Vector3(in.x, in.y, in.z);
}

inline geometry_msgs::msg::Point & toMsg(const tf2::Vector3 & in, geometry_msgs::msg::Point & out)
{
  out.x = in.getX();
  out.y = in.getY();
  out.z = in.getZ();
  return out;
}

inline void fromMsg(const geometry_msgs::msg::Point & in, tf2::Vector3 & out)
{
  out = tf2::Vector3(in.x, in.y, in.z);
}

// ---- Quaternion ----

inline geometry_msgs::msg::Quaternion toMsg(const tf2::Quaternion & in)
{
  geometry_msgs::msg::Quaternion out;
  out.x = in.getX();
  out.y = in.getY();
  out.z = in.getZ();
  out.w = in.getW();
  return out;
}

inline void fromMsg(const geometry_msgs::msg::Quaternion & in, tf2::Quaternion & out)
{
  out = tf2::Quaternion(in.x, in.y, in.z, in.w);
}

// ---- Transform and Pose ----

inline geometry_msgs::msg::Transform toMsg(const tf2::Transform & in)
{
  geometry_msgs::msg::Transform out;
  out.translation = toMsg(in.getOrigin());
  out.rotation = toMsg(in.getRotation());
  return out;
}

inline void fromMsg(const geometry_msgs::msg::Transform & in, tf2::Transform & out)
{
  tf2::Vector3 origin;
  fromMsg(in.translation, origin);
  tf2::Quaternion rotation;
  fromMsg(in.rotation, rotation);
  out.setOrigin(origin);
  out.setRotation(rotation);
}

inline geometry_msgs::msg::TransformStamped toMsg(const tf2::Stamped<tf2::Transform> & in)
{
  geometry_msgs::msg::TransformStamped out;
  out.header.stamp = tf2_ros::toMsg(in.stamp_);
  out.header.frame_id = in.frame_id_;
  out.transform = toMsg(static_cast<const tf2::Transform &>(in));
  return out;
}

inline void fromMsg(
  const geometry_msgs::msg::TransformStamped & in, tf2::Stamped<tf2::Transform> & out)
{
  out.stamp_ = tf2_ros::fromMsg(in.header.stamp);
  out.frame_id_ = in.header.frame_id;
  tf2::Transform transform;
  fromMsg(in.transform, transform);
  out.setData(transform);
}

inline geometry_msgs::msg::Pose & toMsg(const tf2::Transform & in, geometry_msgs::msg::Pose & out)
{
  toMsg(in.getOrigin(), out.position);
  out.orientation = toMsg(in.getRotation());
  return out;
}

inline void fromMsg(const geometry_msgs::msg::Pose & in, tf2::Transform & out)
{
  out.setOrigin(tf2::Vector3(in.position.x, in.position.y, in.position.z));
  out.setRotation(
    tf2::Quaternion(in.orientation.x, in.orientation.y, in.orientation.z, in.orientation.w));
}

inline geometry_msgs::msg::PoseStamped & toMsg(
  const tf2::Stamped<tf2::Transform> & in, geometry_msgs::msg::PoseStamped & out)
{
  out.header.stamp = tf2_ros::toMsg(in.stamp_);
  out.header.frame_id = in.frame_id_;
  toMsg(static_cast<const tf2::Transform &>(in), out.pose);
  return out;
}

inline void fromMsg(const geometry_msgs::msg::PoseStamped & in, tf2::Stamped<tf2::Transform> & out)
{
  out.stamp_ = tf2_ros::fromMsg(in.header.stamp);
  out.frame_id_ = in.header.frame_id;
  tf2::Transform transform;
  fromMsg(in.pose, transform);
  out.setData(transform);
}

// ---- Time stamps and frames of the stamped types ----

template <>
inline tf2::TimePoint getTimestamp(const geometry_msgs::msg::PoseStamped & t)
{
  return tf2_ros::fromMsg(t.header.stamp);
}

template <>
inline std::string getFrameId(const geometry_msgs::msg::PoseStamped & t)
{
  return t.header.frame_id;
}

template <>
inline tf2::TimePoint getTimestamp(const geometry_msgs::msg::PoseWithCovarianceStamped & t)
{
  return tf2_ros::fromMsg(t.header.stamp);
}

template <>
inline std::string getFrameId(const geometry_msgs::msg::PoseWithCovarianceStamped & t)
{
  return t.header.frame_id;
}

template <>
inline tf2::TimePoint getTimestamp(const geometry_msgs::msg::TransformStamped & t)
{
  return tf2_ros::fromMsg(t.header.stamp);
}

template <>
inline std::string getFrameId(const geometry_msgs::msg::TransformStamped & t)
{
  return t.header.frame_id;
}

template <>
inline tf2::TimePoint getTimestamp(const geometry_msgs::msg::PolygonStamped & t)
{
  return tf2_ros::fromMsg(t.header.stamp);
}

template <>
inline std::string getFrameId(const geometry_msgs::msg::PolygonStamped & t)
{
  return t.header.frame_id;
}

// ---- doTransform ----

template <>
inline void doTransform(
  const geometry_msgs::msg::Vector3 & t_in, geometry_msgs::msg::Vector3 & t_out,
  const geometry_msgs::msg::TransformStamped & transform)
{
  const KDL::Vector v_out = gmTransformToKDL(transform).M * KDL::Vector(t_in.x, t_in.y, t_in.z);
  t_out.x = v_out[0];
  t_out.y = v_out[1];
  t_out.z = v_out[2];
}

template <>
inline void doTransform(
  const geometry_msgs::msg::Point & t_in, geometry_msgs::msg::Point & t_out,
  const geometry_msgs::msg::TransformStamped & transform)
{
  const KDL::Vector v_out = gmTransformToKDL(transform) * KDL::Vector(t_in.x, t_in.y, t_in.z);
  t_out.x = v_out[0];
  t_out.y = v_out[1];
  t_out.z = v_out[2];
}

template <>
inline void doTransform(
  const geometry_msgs::msg::Point32 & t_in, geometry_msgs::msg::Point32 & t_out,
  const geometry_msgs::msg::TransformStamped & transform)
{
  const KDL::Vector v_out = gmTransformToKDL(transform) * KDL::Vector(t_in.x, t_in.y, t_in.z);
  t_out.x = static_cast<float>(v_out[0]);
  t_out.y = static_cast<float>(v_out[1]);
  t_out.z = static_cast<float>(v_out[2]);
}

template <>
inline void doTransform(
  const geometry_msgs::msg::Polygon & poly_in, geometry_msgs::msg::Polygon & poly_out,
  const geometry_msgs::msg::TransformStamped & transform)
{
  geometry_msgs::msg::Polygon result;
  result.points.resize(poly_in.points.size());
  for (size_t i = 0; i < poly_in.points.size(); ++i) {
    doTransform(poly_in.points[i], result.points[i], transform);
  }
  poly_out = std::move(result);
}

template <>
inline void doTransform(
  const geometry_msgs::msg::PolygonStamped & poly_in, geometry_msgs::msg::PolygonStamped & poly_out,
  const geometry_msgs::msg::TransformStamped & transform)
{
  doTransform(poly_in.polygon, poly_out.polygon, transform);
  poly_out.header.stamp = transform.header.stamp;
  poly_out.header.frame_id = transform.header.frame_id;
}

template <>
inline void doTransform(
  const geometry_msgs::msg::Quaternion & t_in, geometry_msgs::msg::Quaternion & t_out,
  const geometry_msgs::msg::TransformStamped & transform)
{
  tf2::Quaternion rotation;
  fromMsg(transform.transform.rotation, rotation);
  tf2::Quaternion q_in;
  fromMsg(t_in, q_in);
  t_out = toMsg(rotation * q_in);
}

template <>
inline void doTransform(
  const geometry_msgs::msg::Pose & t_in, geometry_msgs::msg::Pose & t_out,
  const geometry_msgs::msg::TransformStamped & transform)
{
  const KDL::Frame pose_in(
    KDL::Rotation::Quaternion(
      t_in.orientation.x, t_in.orientation.y, t_in.orientation.z, t_in.orientation.w),
    KDL::Vector(t_in.position.x, t_in.position.y, t_in.position.z));
  const KDL::Frame v_out = gmTransformToKDL(transform) * pose_in;
  t_out.position.x = v_out.p[0];
  t_out.position.y = v_out.p[1];
  t_out.position.z = v_out.p[2];
  v_out.M.GetQuaternion(
    t_out.orientation.x, t_out.orientation.y, t_out.orientation.z, t_out.orientation.w);
}

template <>
inline void doTransform(
  const geometry_msgs::msg::PoseStamped & t_in, geometry_msgs::msg::PoseStamped & t_out,
  const geometry_msgs::msg::TransformStamped & transform)
{
  doTransform(t_in.pose, t_out.pose, transform);
  t_out.header.stamp = transform.header.stamp;
  t_out.header.frame_id = transform.header.frame_id;
}

/// Rotates a 6x6 pose covariance (row-major) by the rotation of `transform`.
inline geometry_msgs::msg::PoseWithCovariance::_covariance_type transformCovariance(
  const geometry_msgs::msg::PoseWithCovariance::_covariance_type & cov_in,
  const tf2::Transform & transform)
{
  const tf2::Matrix3x3 & rotation = transform.getBasis();
  const tf2::Matrix3x3 rotation_transpose = rotation.transpose();
  geometry_msgs::msg::PoseWithCovariance::_covariance_type cov_out;
  for (size_t block_row = 0; block_row < 2; ++block_row) {
    for (size_t block_col = 0; block_col < 2; ++block_col) {
      const size_t offset = block_row * 18 + block_col * 3;
      const tf2::Matrix3x3 block(
        cov_in[offset], cov_in[offset + 1], cov_in[offset + 2], cov_in[offset + 6],
        cov_in[offset + 7], cov_in[offset + 8], cov_in[offset + 12], cov_in[offset + 13],
        cov_in[offset + 14]);
      const tf2::Matrix3x3 rotated = rotation * block * rotation_transpose;
      for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
          cov_out[offset + static_cast<size_t>(r) * 6 + static_cast<size_t>(c)] = rotated[r][c];
        }
      }
    }
  }
  return cov_out;
}

template <>
inline void doTransform(
  const geometry_msgs::msg::PoseWithCovarianceStamped & t_in,
  geometry_msgs::msg::PoseWithCovarianceStamped & t_out,
  const geometry_msgs::msg::TransformStamped & transform)
{
  doTransform(t_in.pose.pose, t_out.pose.pose, transform);
  tf2::Transform rotation_only;
  fromMsg(transform.transform, rotation_only);
  t_out.pose.covariance = transformCovariance(t_in.pose.covariance, rotation_only);
  t_out.header.stamp = transform.header.stamp;
  t_out.header.frame_id = transform.header.frame_id;
}

template <>
inline void doTransform(
  const geometry_msgs::msg::TransformStamped & t_in, geometry_msgs::msg::TransformStamped & t_out,
  const geometry_msgs::msg::TransformStamped & transform)
{
  tf2::Transform input;
  fromMsg(t_in.transform, input);
  tf2::Transform applied;
  fromMsg(transform.transform, applied);
  t_out.transform = toMsg(applied * input);
  t_out.header.stamp = transform.header.stamp;
  t_out.header.frame_id = transform.header.frame_id;
  t_out.child_frame_id = t_in.child_frame_id;
}

}  // namespace tf2

#endif  // TF2_GEOMETRY_MSGS__TF2_GEOMETRY_MSGS_HPP_

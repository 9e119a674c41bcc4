// The abstract transform buffer of tf2_ros and the time conversions between tf2,
// builtin_interfaces and rclcpp.
#ifndef TF2_ROS__BUFFER_INTERFACE_H_
#define TF2_ROS__BUFFER_INTERFACE_H_

#include <string>

#include <tf2/convert.h>
#include <tf2/exceptions.h>
#include <tf2/time.h>
#include <builtin_interfaces/msg/duration.hpp>
#include <builtin_interfaces/msg/time.hpp>
#include <geometry_msgs/msg/transform_stamped.hpp>
#include <rclcpp/duration.hpp>
#include <rclcpp/time.hpp>

namespace tf2_ros
{
inline builtin_interfaces::msg::Time toMsg(const tf2::TimePoint & t)
{
  const int64_t ns = t.time_since_epoch().count();
  builtin_interfaces::msg::Time time_msg;
  time_msg.sec = static_cast<int32_t>(ns / 1000000000);
  time_msg.nanosec = static_cast<uint32_t>(ns % 1000000000);
  return time_msg;
}

inline tf2::TimePoint fromMsg(const builtin_interfaces::msg::Time & time_msg)
{
  return tf2::TimePoint(
    std::chrono::seconds(time_msg.sec) + std::chrono::nanoseconds(time_msg.nanosec));
}

inline builtin_interfaces::msg::Duration toMsg(const tf2::Duration & t)
{
  builtin_interfaces::msg::Duration duration_msg;
  duration_msg.sec = static_cast<int32_t>(t.count() / 1000000000);
  duration_msg.nanosec = static_cast<uint32_t>(t.count() % 1000000000);
  return duration_msg;
}

inline tf2::Duration fromMsg(const builtin_interfaces::msg::Duration & duration_msg)
{
  return std::chrono::seconds(duration_msg.sec) + std::chrono::nanoseconds(duration_msg.nanosec);
}

inline double timeToSec(const builtin_interfaces::msg::Time & time_msg)
{
  return tf2::timeToSec(fromMsg(time_msg));
}

inline tf2::TimePoint fromRclcpp(const rclcpp::Time & time)
{
  return tf2::TimePoint(std::chrono::nanoseconds(time.nanoseconds()));
}

inline rclcpp::Time toRclcpp(const tf2::TimePoint & time)
{
  return rclcpp::Time(time.time_since_epoch().count());
}

inline tf2::Duration fromRclcpp(const rclcpp::Duration & duration)
{
  return tf2::Duration(duration.nanoseconds());
}

inline rclcpp::Duration toRclcpp(const tf2::Duration & duration)
{
  return rclcpp::Duration(duration);
}

/// Transform look-up and data transformation with a time-out.
class BufferInterface
{
public:
  virtual ~BufferInterface() = default;

  /// The transform from `source_frame` to `target_frame` at `time` (zero: the latest one),
  /// waiting up to `timeout` for it to become available.
  virtual geometry_msgs::msg::TransformStamped lookupTransform(
    const std::string & target_frame, const std::string & source_frame, const tf2::TimePoint & time,
    const tf2::Duration timeout) const = 0;

  /// The transform between two frames at two times, through `fixed_frame`.
  virtual geometry_msgs::msg::TransformStamped lookupTransform(
    const std::string & target_frame, const tf2::TimePoint & target_time,
    const std::string & source_frame, const tf2::TimePoint & source_time,
    const std::string & fixed_frame, const tf2::Duration timeout) const = 0;

  virtual bool canTransform(
    const std::string & target_frame, const std::string & source_frame, const tf2::TimePoint & time,
    const tf2::Duration timeout, std::string * errstr = nullptr) const = 0;

  virtual bool canTransform(
    const std::string & target_frame, const tf2::TimePoint & target_time,
    const std::string & source_frame, const tf2::TimePoint & source_time,
    const std::string & fixed_frame, const tf2::Duration timeout,
    std::string * errstr = nullptr) const = 0;

  /// Transforms `in` into `target_frame` at the stamp of `in`.
  template <class T>
  T & transform(
    const T & in, T & out, const std::string & target_frame,
    tf2::Duration timeout = tf2::durationFromSec(0.0)) const
  {
    tf2::doTransform(
      in, out, lookupTransform(target_frame, tf2::getFrameId(in), tf2::getTimestamp(in), timeout));
    return out;
  }

  template <class T>
  T transform(
    const T & in, const std::string & target_frame,
    tf2::Duration timeout = tf2::durationFromSec(0.0)) const
  {
    T out;
    return transform(in, out, target_frame, timeout);
  }

  /// Transforms `in` and converts the result to another type.
  template <class A, class B>
  B & transform(
    const A & in, B & out, const std::string & target_frame,
    tf2::Duration timeout = tf2::durationFromSec(0.0)) const
  {
    A copy = transform(in, target_frame, timeout);
    tf2::convert(copy, out);
    return out;
  }

  /// Transforms `in` into `target_frame` at `target_time`, through `fixed_frame`.
  template <class T>
  T & transform(
    const T & in, T & out, const std::string & target_frame, const tf2::TimePoint & target_time,
    const std::string & fixed_frame, tf2::Duration timeout = tf2::durationFromSec(0.0)) const
  {
    tf2::doTransform(
      in, out,
      lookupTransform(
        target_frame, target_time, tf2::getFrameId(in), tf2::getTimestamp(in), fixed_frame,
        timeout));
    return out;
  }

  template <class T>
  T transform(
    const T & in, const std::string & target_frame, const tf2::TimePoint & target_time,
    const std::string & fixed_frame, tf2::Duration timeout = tf2::durationFromSec(0.0)) const
  {
    T out;
    return transform(in, out, target_frame, target_time, fixed_frame, timeout);
  }
};

}  // namespace tf2_ros

#endif  // TF2_ROS__BUFFER_INTERFACE_H_

// tf2_ros::Buffer: the transform store of a ROS 2 process, with blocking and
// asynchronous look-ups. Transform chaining and interpolation are tf2::BufferCore's.
#ifndef TF2_ROS__BUFFER_H_
#define TF2_ROS__BUFFER_H_

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include <tf2/time.h>
#include <geometry_msgs/msg/transform_stamped.hpp>
#include <rclcpp/clock.hpp>
#include <rclcpp/context.hpp>
#include <rclcpp/duration.hpp>
#include <rclcpp/logger.hpp>
#include <rclcpp/time.hpp>

#include "tf2_ros/async_buffer_interface.h"
#include "tf2_ros/buffer_interface.h"
#include "tf2_ros/create_timer_interface.h"

namespace rclcpp
{
class Node;
}  // namespace rclcpp

namespace tf2
{
class BufferCore;

constexpr tf2::Duration BUFFER_CORE_DEFAULT_CACHE_TIME = std::chrono::seconds(10);
}  // namespace tf2

namespace tf2_ros
{
namespace detail
{
class ArrivalSignal;
}  // namespace detail

/// Stores the transforms it is given for `cache_time` and answers look-ups between any two
/// connected frames. Look-ups with a time-out block until the transform arrives (woken by
/// setTransform) or the time-out passes; they need a thread that feeds the buffer meanwhile
/// (see setUsingDedicatedThread). All operations are thread-safe.
class Buffer : public BufferInterface, public AsyncBufferInterface
{
public:
  using SharedPtr = std::shared_ptr<Buffer>;

  explicit Buffer(
    rclcpp::Clock::SharedPtr clock,
    tf2::Duration cache_time = tf2::Duration(tf2::BUFFER_CORE_DEFAULT_CACHE_TIME),
    std::shared_ptr<rclcpp::Node> node = nullptr);
  ~Buffer() override;

  Buffer(const Buffer &) = delete;
  Buffer & operator=(const Buffer &) = delete;

  /// Adds a transform; false (with a logged reason) when the transform is invalid.
  bool setTransform(
    const geometry_msgs::msg::TransformStamped & transform, const std::string & authority,
    bool is_static = false);

  /// Look-up without waiting. Throws tf2::LookupException, tf2::ConnectivityException,
  /// tf2::ExtrapolationException or tf2::InvalidArgumentException.
  geometry_msgs::msg::TransformStamped lookupTransform(
    const std::string & target_frame, const std::string & source_frame,
    const tf2::TimePoint & time) const;

  geometry_msgs::msg::TransformStamped lookupTransform(
    const std::string & target_frame, const tf2::TimePoint & target_time,
    const std::string & source_frame, const tf2::TimePoint & source_time,
    const std::string & fixed_frame) const;

  geometry_msgs::msg::TransformStamped lookupTransform(
    const std::string & target_frame, const std::string & source_frame, const tf2::TimePoint & time,
    const tf2::Duration timeout) const override;

  geometry_msgs::msg::TransformStamped lookupTransform(
    const std::string & target_frame, const std::string & source_frame, const rclcpp::Time & time,
    const rclcpp::Duration timeout = rclcpp::Duration::from_nanoseconds(0)) const;

  geometry_msgs::msg::TransformStamped lookupTransform(
    const std::string & target_frame, const tf2::TimePoint & target_time,
    const std::string & source_frame, const tf2::TimePoint & source_time,
    const std::string & fixed_frame, const tf2::Duration timeout) const override;

  geometry_msgs::msg::TransformStamped lookupTransform(
    const std::string & target_frame, const rclcpp::Time & target_time,
    const std::string & source_frame, const rclcpp::Time & source_time,
    const std::string & fixed_frame,
    const rclcpp::Duration timeout = rclcpp::Duration::from_nanoseconds(0)) const;

  bool canTransform(
    const std::string & target_frame, const std::string & source_frame, const tf2::TimePoint & time,
    std::string * error_msg = nullptr) const;

  bool canTransform(
    const std::string & target_frame, const tf2::TimePoint & target_time,
    const std::string & source_frame, const tf2::TimePoint & source_time,
    const std::string & fixed_frame, std::string * error_msg = nullptr) const;

  bool canTransform(
    const std::string & target_frame, const std::string & source_frame,
    const tf2::TimePoint & target_time, const tf2::Duration timeout,
    std::string * errstr = nullptr) const override;

  bool canTransform(
    const std::string & target_frame, const std::string & source_frame, const rclcpp::Time & time,
    const rclcpp::Duration timeout = rclcpp::Duration::from_nanoseconds(0),
    std::string * errstr = nullptr) const;

  bool canTransform(
    const std::string & target_frame, const tf2::TimePoint & target_time,
    const std::string & source_frame, const tf2::TimePoint & source_time,
    const std::string & fixed_frame, const tf2::Duration timeout,
    std::string * errstr = nullptr) const override;

  bool canTransform(
    const std::string & target_frame, const rclcpp::Time & target_time,
    const std::string & source_frame, const rclcpp::Time & source_time,
    const std::string & fixed_frame,
    const rclcpp::Duration timeout = rclcpp::Duration::from_nanoseconds(0),
    std::string * errstr = nullptr) const;

  /// Needs a timer interface (setCreateTimerInterface) for the time-out.
  TransformStampedFuture waitForTransform(
    const std::string & target_frame, const std::string & source_frame, const tf2::TimePoint & time,
    const tf2::Duration & timeout, TransformReadyCallback callback) override;

  TransformStampedFuture waitForTransform(
    const std::string & target_frame, const std::string & source_frame, const rclcpp::Time & time,
    const rclcpp::Duration & timeout, TransformReadyCallback callback);

  /// Stops a pending waitForTransform; its future is never completed.
  void cancel(const TransformStampedFuture & ts_future) override;

  void setCreateTimerInterface(CreateTimerInterface::SharedPtr create_timer_interface);

  /// Declares that another thread feeds the buffer, which makes waiting look-ups possible.
  void setUsingDedicatedThread(bool value);
  bool isUsingDedicatedThread() const;

  void clear();
  std::string allFramesAsString() const;
  std::string allFramesAsYAML() const;
  bool _frameExists(const std::string & frame_id_str) const;
  void _getFrameStrings(std::vector<std::string> & ids) const;
  tf2::Duration getCacheLength() const;

private:
  struct PendingWait;

  bool checkAndErrorDedicatedThreadPresent(std::string * errstr) const;
  void onTransformable(tf2::TransformableRequestHandle request_handle, bool available);
  void onWaitTimeout(const TimerHandle & timer_handle);
  rclcpp::Logger getLogger() const;

  rclcpp::Clock::SharedPtr clock_;
  std::shared_ptr<rclcpp::Node> node_;
  std::unique_ptr<tf2::BufferCore> core_;
  uint32_t transformable_callback_handle_;
  std::atomic<bool> using_dedicated_thread_{false};

  std::shared_ptr<detail::ArrivalSignal> arrival_signal_;
  rclcpp::OnShutdownCallbackHandle shutdown_callback_handle_;

  std::mutex pending_waits_mutex_;
  CreateTimerInterface::SharedPtr timer_interface_;
  std::unordered_map<tf2::TransformableRequestHandle, std::shared_ptr<PendingWait>> pending_waits_;
};

static const char threading_error[] =
  "Do not call canTransform or lookupTransform with a timeout unless you are using another thread "
  "for populating data. Without a dedicated thread it will always timeout.  If you have a "
  "seperate thread servicing tf messages, call setUsingDedicatedThread(true) on your Buffer "
  "instance.";

}  // namespace tf2_ros

#endif  // TF2_ROS__BUFFER_H_

// Asynchronous waiting for a transform.
#ifndef TF2_ROS__ASYNC_BUFFER_INTERFACE_H_
#define TF2_ROS__ASYNC_BUFFER_INTERFACE_H_

#include <cstdint>
#include <functional>
#include <future>
#include <string>
#include <utility>

#include <tf2/time.h>
#include <geometry_msgs/msg/transform_stamped.hpp>

namespace tf2
{
typedef uint64_t TransformableRequestHandle;
}  // namespace tf2

namespace tf2_ros
{
/// A future for a transform that also carries the request it waits on, so it can be cancelled.
class TransformStampedFuture : public std::shared_future<geometry_msgs::msg::TransformStamped>
{
  using BaseType = std::shared_future<geometry_msgs::msg::TransformStamped>;

public:
  TransformStampedFuture() noexcept = default;

  TransformStampedFuture(BaseType && future) noexcept  // NOLINT(runtime/explicit)
  : BaseType(std::move(future))
  {
  }

  void setHandle(const tf2::TransformableRequestHandle handle) { handle_ = handle; }

  tf2::TransformableRequestHandle getHandle() const noexcept { return handle_; }

private:
  tf2::TransformableRequestHandle handle_{};
};

using TransformReadyCallback = std::function<void(const TransformStampedFuture &)>;

class AsyncBufferInterface
{
public:
  virtual ~AsyncBufferInterface() = default;

  /// Completes the future (and calls `callback`) once the transform is available, or with
  /// tf2::TimeoutException after `timeout`, or with tf2::LookupException when it never can be.
  virtual TransformStampedFuture waitForTransform(
    const std::string & target_frame, const std::string & source_frame, const tf2::TimePoint & time,
    const tf2::Duration & timeout, TransformReadyCallback callback) = 0;

  virtual void cancel(const TransformStampedFuture & ts_future) = 0;
};

}  // namespace tf2_ros

#endif  // TF2_ROS__ASYNC_BUFFER_INTERFACE_H_

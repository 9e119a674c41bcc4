#ifndef RCLCPP__DETAIL__FUTURE_AND_REQUEST_ID_HPP_
#define RCLCPP__DETAIL__FUTURE_AND_REQUEST_ID_HPP_

#include <chrono>
#include <cstdint>
#include <future>
#include <utility>

namespace rclcpp
{
namespace detail
{

/// A future paired with the sequence number of the request it answers.
template <typename FutureT>
struct FutureAndRequestId
{
  FutureT future;
  int64_t request_id;

  FutureAndRequestId(FutureT impl, int64_t req_id) : future(std::move(impl)), request_id(req_id) {}

  [[deprecated("FutureAndRequestId: use .future instead of an implicit conversion")]]
  operator FutureT &()
  {
    return this->future;
  }

  auto get() { return this->future.get(); }
  bool valid() const noexcept { return this->future.valid(); }
  void wait() const { return this->future.wait(); }

  template <class Rep, class Period>
  std::future_status wait_for(const std::chrono::duration<Rep, Period> & timeout_duration) const
  {
    return this->future.wait_for(timeout_duration);
  }

  template <class Clock, class Duration>
  std::future_status wait_until(const std::chrono::time_point<Clock, Duration> & timeout_time) const
  {
    return this->future.wait_until(timeout_time);
  }

  FutureAndRequestId(FutureAndRequestId && other) noexcept = default;
  FutureAndRequestId(const FutureAndRequestId & other) = delete;
  FutureAndRequestId & operator=(FutureAndRequestId && other) noexcept = default;
  FutureAndRequestId & operator=(const FutureAndRequestId & other) = delete;
  ~FutureAndRequestId() = default;
};

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__FUTURE_AND_REQUEST_ID_HPP_

// Wakes threads that wait for transforms whenever new ones arrive.
#ifndef TF2_ROS__SRC__ARRIVAL_SIGNAL_HPP_
#define TF2_ROS__SRC__ARRIVAL_SIGNAL_HPP_

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace tf2_ros
{
namespace detail
{
class ArrivalSignal
{
public:
  /// New transforms arrived (or ROS shuts down): waiters check again.
  void notify();

  /// Checks `ready`, then again after every notification, until it holds (true) or
  /// `deadline` passes or `keep_waiting` fails (false).
  bool wait_until(
    const std::function<bool()> & ready, const std::function<bool()> & keep_waiting,
    std::chrono::steady_clock::time_point deadline);

private:
  std::mutex mutex_;
  std::condition_variable condition_;
  uint64_t arrivals_ = 0;
};

}  // namespace detail
}  // namespace tf2_ros

#endif  // TF2_ROS__SRC__ARRIVAL_SIGNAL_HPP_

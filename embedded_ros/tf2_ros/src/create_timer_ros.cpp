#include "tf2_ros/create_timer_ros.h"

#include <utility>

#include <rclcpp/create_timer.hpp>

namespace tf2_ros
{
CreateTimerROS::CreateTimerROS(
  rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base,
  rclcpp::node_interfaces::NodeTimersInterface::SharedPtr node_timers,
  rclcpp::CallbackGroup::SharedPtr callback_group)
: node_base_(std::move(node_base)),
  node_timers_(std::move(node_timers)),
  next_timer_handle_index_(0),
  callback_group_(std::move(callback_group))
{
}

TimerHandle CreateTimerROS::createTimer(
  rclcpp::Clock::SharedPtr clock, const tf2::Duration & period, TimerCallbackType callback)
{
  std::lock_guard<std::mutex> lock(timers_map_mutex_);
  const TimerHandle timer_handle_index = next_timer_handle_index_++;
  auto timer = rclcpp::create_timer(
    node_base_, node_timers_, clock, rclcpp::Duration(period),
    [timer_handle_index, callback = std::move(callback)]() { callback(timer_handle_index); },
    callback_group_);
  timers_map_[timer_handle_index] = timer;
  return timer_handle_index;
}

void CreateTimerROS::cancel(const TimerHandle & timer_handle)
{
  std::lock_guard<std::mutex> lock(timers_map_mutex_);
  cancelNoLock(timer_handle);
}

void CreateTimerROS::cancelNoLock(const TimerHandle & timer_handle)
{
  auto timer_it = timers_map_.find(timer_handle);
  if (timer_it == timers_map_.end()) {
    throw InvalidTimerHandleException("Invalid timer handle in cancel()");
  }
  timer_it->second->cancel();
}

void CreateTimerROS::reset(const TimerHandle & timer_handle)
{
  std::lock_guard<std::mutex> lock(timers_map_mutex_);
  auto timer_it = timers_map_.find(timer_handle);
  if (timer_it == timers_map_.end()) {
    throw InvalidTimerHandleException("Invalid timer handle in reset()");
  }
  timer_it->second->reset();
}

void CreateTimerROS::remove(const TimerHandle & timer_handle)
{
  std::lock_guard<std::mutex> lock(timers_map_mutex_);
  auto timer_it = timers_map_.find(timer_handle);
  if (timer_it == timers_map_.end()) {
    throw InvalidTimerHandleException("Invalid timer handle in remove()");
  }
  timer_it->second->cancel();
  timers_map_.erase(timer_it);
}

}  // namespace tf2_ros

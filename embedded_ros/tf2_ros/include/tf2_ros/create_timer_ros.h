// Timers for tf2_ros::Buffer made with a node's timers interface.
#ifndef TF2_ROS__CREATE_TIMER_ROS_H_
#define TF2_ROS__CREATE_TIMER_ROS_H_

#include <memory>
#include <mutex>
#include <unordered_map>

#include <rclcpp/callback_group.hpp>
#include <rclcpp/node_interfaces/node_base_interface.hpp>
#include <rclcpp/node_interfaces/node_timers_interface.hpp>
#include <rclcpp/timer.hpp>

#include "tf2_ros/create_timer_interface.h"

namespace tf2_ros
{
/// The timers run in `callback_group` (the node's default group when null) of the executor
/// that spins the node.
class CreateTimerROS : public CreateTimerInterface
{
public:
  CreateTimerROS(
    rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base,
    rclcpp::node_interfaces::NodeTimersInterface::SharedPtr node_timers,
    rclcpp::CallbackGroup::SharedPtr callback_group = nullptr);

  ~CreateTimerROS() override = default;

  TimerHandle createTimer(
    rclcpp::Clock::SharedPtr clock, const tf2::Duration & period,
    TimerCallbackType callback) override;
  void cancel(const TimerHandle & timer_handle) override;
  void reset(const TimerHandle & timer_handle) override;
  void remove(const TimerHandle & timer_handle) override;

private:
  void cancelNoLock(const TimerHandle & timer_handle);

  rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base_;
  rclcpp::node_interfaces::NodeTimersInterface::SharedPtr node_timers_;
  TimerHandle next_timer_handle_index_;
  std::unordered_map<TimerHandle, rclcpp::TimerBase::SharedPtr> timers_map_;
  std::mutex timers_map_mutex_;
  rclcpp::CallbackGroup::SharedPtr callback_group_;
};

}  // namespace tf2_ros

#endif  // TF2_ROS__CREATE_TIMER_ROS_H_

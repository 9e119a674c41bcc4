#ifndef RCLCPP__ANY_EXECUTABLE_HPP_
#define RCLCPP__ANY_EXECUTABLE_HPP_

#include <memory>

#include "rclcpp/callback_group.hpp"
#include "rclcpp/client.hpp"
#include "rclcpp/detail/service_queue.hpp"
#include "rclcpp/service.hpp"
#include "rclcpp/subscription_base.hpp"
#include "rclcpp/timer.hpp"
#include "rclcpp/waitable.hpp"

namespace rclcpp
{

/// One piece of work an executor selected, with the data it took for it.
struct AnyExecutable
{
  rclcpp::SubscriptionBase::SharedPtr subscription;
  rclcpp::TimerBase::SharedPtr timer;
  rclcpp::ServiceBase::SharedPtr service;
  rclcpp::ClientBase::SharedPtr client;
  rclcpp::Waitable::SharedPtr waitable;
  rclcpp::CallbackGroup::SharedPtr callback_group;
  /// The waitable's data.
  std::shared_ptr<void> data;
  /// The subscription's message.
  std::shared_ptr<const void> message;
  /// The service's request or the client's response.
  detail::ServiceMessage service_message;
};

}  // namespace rclcpp

#endif  // RCLCPP__ANY_EXECUTABLE_HPP_

#ifndef RCLCPP__SUBSCRIPTION_OPTIONS_HPP_
#define RCLCPP__SUBSCRIPTION_OPTIONS_HPP_

#include <memory>

#include "rclcpp/intra_process_setting.hpp"

namespace rclcpp
{

class CallbackGroup;

struct SubscriptionOptionsBase
{
  /// Group whose executor runs the callback; the node's default group when null.
  std::shared_ptr<rclcpp::CallbackGroup> callback_group = nullptr;
  IntraProcessSetting use_intra_process_comm = IntraProcessSetting::NodeDefault;
  /// When true, messages published by the same node are not delivered.
  bool ignore_local_publications = false;
};

template <typename Allocator>
struct SubscriptionOptionsWithAllocator : public SubscriptionOptionsBase
{
  std::shared_ptr<Allocator> allocator = nullptr;

  SubscriptionOptionsWithAllocator() = default;
  explicit SubscriptionOptionsWithAllocator(const SubscriptionOptionsBase & base)
  : SubscriptionOptionsBase(base)
  {
  }
};

using SubscriptionOptions = SubscriptionOptionsWithAllocator<std::allocator<void>>;

}  // namespace rclcpp

#endif  // RCLCPP__SUBSCRIPTION_OPTIONS_HPP_

#ifndef RCLCPP__DETAIL__SUBSCRIPTION_CALLBACK_HPP_
#define RCLCPP__DETAIL__SUBSCRIPTION_CALLBACK_HPP_

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace rclcpp
{
namespace detail
{

/// The adapter for a callback taking `std::shared_ptr<MessageT>`, a form Humble deprecates:
/// using it warns at compile time as it does there, unless RCLCPP_AVOID_DEPRECATIONS_FOR_UNIT_TESTS
/// is defined before rclcpp is included.
template <typename MessageT, typename Callback>
#if !defined(RCLCPP_AVOID_DEPRECATIONS_FOR_UNIT_TESTS)
[[deprecated("use 'void(std::shared_ptr<const MessageT>)' instead")]]
#endif
std::function<void(const std::shared_ptr<const MessageT> &)>
adapt_mutable_shared_ptr_callback(std::shared_ptr<Callback> callback)
{
  return [callback](const std::shared_ptr<const MessageT> & msg) {
    (*callback)(std::make_shared<MessageT>(*msg));
  };
}

/// Adapts a user callback taking `const MessageT &`, `std::shared_ptr<const MessageT>`,
/// `std::shared_ptr<MessageT>` or `std::unique_ptr<MessageT>` to one form that receives the
/// shared immutable message. Mutable forms get their own copy.
template <typename MessageT, typename CallbackT>
std::function<void(const std::shared_ptr<const MessageT> &)> make_subscription_callback(
  CallbackT && callback)
{
  using Callback = std::decay_t<CallbackT>;
  auto shared_callback = std::make_shared<Callback>(std::forward<CallbackT>(callback));
  if constexpr (std::is_invocable_v<Callback &, const MessageT &>) {
    return
      [shared_callback](const std::shared_ptr<const MessageT> & msg) { (*shared_callback)(*msg); };
  } else if constexpr (std::is_invocable_v<Callback &, std::shared_ptr<const MessageT>>) {
    return
      [shared_callback](const std::shared_ptr<const MessageT> & msg) { (*shared_callback)(msg); };
  } else if constexpr (std::is_invocable_v<Callback &, std::shared_ptr<MessageT>>) {
    return adapt_mutable_shared_ptr_callback<MessageT>(shared_callback);
  } else if constexpr (std::is_invocable_v<Callback &, std::unique_ptr<MessageT>>) {
    return [shared_callback](const std::shared_ptr<const MessageT> & msg) {
      (*shared_callback)(std::make_unique<MessageT>(*msg));
    };
  } else {
    static_assert(
      std::is_invocable_v<Callback &, const MessageT &>,
      "subscription callback must take const MessageT &, std::shared_ptr<const "
      "MessageT>, std::shared_ptr<MessageT> or std::unique_ptr<MessageT>");
    return {};
  }
}

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__SUBSCRIPTION_CALLBACK_HPP_

#ifndef RCLCPP__GUARD_CONDITION_HPP_
#define RCLCPP__GUARD_CONDITION_HPP_

#include <cstddef>
#include <functional>
#include <mutex>

#include "rclcpp/context.hpp"
#include "rclcpp/contexts/default_context.hpp"
#include "rclcpp/macros.hpp"

namespace rclcpp
{

/// A condition that is triggered to wake whoever waits on it. Nodes and executors hold guard
/// conditions, so they share its rule: it can only be created on a valid context. Before
/// rclcpp::init it throws RCLInvalidArgument ("failed to create guard condition: context argument
/// is null"), after shutdown RCLError ("failed to create guard condition: the given context is not
/// valid, ...").
class GuardCondition
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS_NOT_COPYABLE(GuardCondition)

  /// Throws std::invalid_argument for a null context.
  explicit GuardCondition(
    rclcpp::Context::SharedPtr context = rclcpp::contexts::get_global_default_context());
  virtual ~GuardCondition() = default;

  rclcpp::Context::SharedPtr get_context() const;

  /// Calls the on-trigger callback with 1, or counts the trigger until a callback is set.
  void trigger();

  /// Sets the callback (called with the triggers counted so far first) or, when empty, clears it.
  void set_on_trigger_callback(std::function<void(size_t)> callback);

private:
  rclcpp::Context::SharedPtr context_;
  std::recursive_mutex reentrant_mutex_;
  std::function<void(size_t)> on_trigger_callback_;
  size_t unread_count_ = 0;
};

}  // namespace rclcpp

#endif  // RCLCPP__GUARD_CONDITION_HPP_

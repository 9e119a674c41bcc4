#include "rclcpp/guard_condition.hpp"

#include <stdexcept>
#include <utility>

#include "rclcpp/detail/context_check.hpp"
#include "rclcpp/detail/rcl_wait.hpp"
#include "rclcpp/exceptions.hpp"

namespace rclcpp
{

namespace
{

/// Throws what rclcpp throws for a failed rcl_wait_set_add_guard_condition, with rcl's texts.
[[noreturn]] void throw_add_error(rcl_ret_t ret)
{
  constexpr const char * prefix = "failed to add guard condition to wait set";
  switch (ret) {
    case RCL_RET_INVALID_ARGUMENT:
      throw exceptions::RCLInvalidArgument(
        exceptions::RCLErrorBase(ret, "wait_set argument is null"), prefix);
    case RCL_RET_WAIT_SET_INVALID:
      throw exceptions::RCLError(exceptions::RCLErrorBase(ret, "wait set is invalid"), prefix);
    case RCL_RET_WAIT_SET_FULL:
      throw exceptions::RCLError(
        exceptions::RCLErrorBase(ret, "guard_conditions set is full"), prefix);
    default:
      throw exceptions::RCLError(exceptions::RCLErrorBase(ret, "error not set"), prefix);
  }
}

}  // namespace

GuardCondition::GuardCondition(rclcpp::Context::SharedPtr context) : context_(std::move(context))
{
  if (!context_) {
    throw std::invalid_argument("context argument unexpectedly nullptr");
  }
  detail::check_context_usable(*context_, "failed to create guard condition");
  rcl_guard_condition_ = detail::init_rcl_guard_condition();
}

GuardCondition::~GuardCondition() { detail::fini_rcl_guard_condition(rcl_guard_condition_); }

rclcpp::Context::SharedPtr GuardCondition::get_context() const { return context_; }

rcl_guard_condition_t & GuardCondition::get_rcl_guard_condition() { return rcl_guard_condition_; }

const rcl_guard_condition_t & GuardCondition::get_rcl_guard_condition() const
{
  return rcl_guard_condition_;
}

void GuardCondition::trigger()
{
  detail::trigger_rcl_guard_condition(rcl_guard_condition_);
  std::lock_guard<std::recursive_mutex> lock(reentrant_mutex_);
  if (on_trigger_callback_) {
    on_trigger_callback_(1);
  } else {
    ++unread_count_;
  }
}

bool GuardCondition::exchange_in_use_by_wait_set_state(bool in_use_state)
{
  return in_use_by_wait_set_.exchange(in_use_state);
}

void GuardCondition::add_to_wait_set(rcl_wait_set_t * wait_set)
{
  std::lock_guard<std::recursive_mutex> lock(reentrant_mutex_);
  if (exchange_in_use_by_wait_set_state(true)) {
    if (wait_set != wait_set_) {
      throw std::runtime_error("guard condition has already been added to a wait set.");
    }
  } else {
    wait_set_ = wait_set;
  }
  detail::add_guard_condition_to_rcl_wait_set(wait_set, *this);
}

void GuardCondition::set_on_trigger_callback(std::function<void(size_t)> callback)
{
  std::lock_guard<std::recursive_mutex> lock(reentrant_mutex_);
  on_trigger_callback_ = std::move(callback);
  if (on_trigger_callback_ && unread_count_ > 0) {
    on_trigger_callback_(unread_count_);
    unread_count_ = 0;
  }
}

namespace detail
{

void add_guard_condition_to_rcl_wait_set(
  rcl_wait_set_t * wait_set, const rclcpp::GuardCondition & guard_condition)
{
  const rcl_ret_t ret =
    rcl_wait_set_add_guard_condition(wait_set, &guard_condition.get_rcl_guard_condition(), nullptr);
  if (ret != RCL_RET_OK) {
    throw_add_error(ret);
  }
}

}  // namespace detail
}  // namespace rclcpp

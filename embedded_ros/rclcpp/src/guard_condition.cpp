#include "rclcpp/guard_condition.hpp"

#include <stdexcept>
#include <utility>

#include "rclcpp/exceptions.hpp"

namespace rclcpp
{

namespace
{

// rcl's return codes for the two ways a context can be unusable.
constexpr int kRetInvalidArgument = 11;
constexpr int kRetNotInit = 101;
constexpr const char * kPrefix = "failed to create guard condition";

}  // namespace

GuardCondition::GuardCondition(rclcpp::Context::SharedPtr context) : context_(std::move(context))
{
  if (!context_) {
    throw std::invalid_argument("context argument unexpectedly nullptr");
  }
  switch (context_->rcl_state()) {
    case Context::RclState::never_initialized:
      throw exceptions::RCLInvalidArgument(
        exceptions::RCLErrorBase(kRetInvalidArgument, "context argument is null"), kPrefix);
    case Context::RclState::shut_down:
      throw exceptions::RCLError(
        exceptions::RCLErrorBase(
          kRetNotInit,
          "the given context is not valid, either rcl_init() was not called or rcl_shutdown() "
          "was called."),
        kPrefix);
    case Context::RclState::valid:
      break;
  }
}

rclcpp::Context::SharedPtr GuardCondition::get_context() const { return context_; }

void GuardCondition::trigger()
{
  std::lock_guard<std::recursive_mutex> lock(reentrant_mutex_);
  if (on_trigger_callback_) {
    on_trigger_callback_(1);
  } else {
    ++unread_count_;
  }
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

}  // namespace rclcpp

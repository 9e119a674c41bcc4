// The rcl guard conditions and wait sets behind rclcpp::GuardCondition and the executors'
// waitables.

#include <algorithm>
#include <mutex>
#include <vector>

#include "rclcpp/detail/rcl_wait.hpp"

namespace
{

/// Shared by a guard condition and the wait sets it is in, so that a wait set can still be
/// cleared after the guard condition was destroyed.
class TriggerState
{
public:
  void trigger()
  {
    std::vector<std::weak_ptr<rclcpp::detail::WakeSignal>> waiters;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      triggered_ = true;
      waiters = waiters_;
    }
    for (const auto & weak : waiters) {
      if (auto waiter = weak.lock()) {
        waiter->notify();
      }
    }
  }

  bool take()
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool triggered = triggered_;
    triggered_ = false;
    return triggered;
  }

  void attach(const std::shared_ptr<rclcpp::detail::WakeSignal> & waiter)
  {
    std::lock_guard<std::mutex> lock(mutex_);
    waiters_.push_back(waiter);
  }

  void detach(const std::shared_ptr<rclcpp::detail::WakeSignal> & waiter) noexcept
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = std::find_if(waiters_.begin(), waiters_.end(), [&waiter](const auto & weak) {
      return !weak.owner_before(waiter) && !waiter.owner_before(weak);
    });
    if (found != waiters_.end()) {
      waiters_.erase(found);
    }
  }

private:
  std::mutex mutex_;
  bool triggered_ = false;
  std::vector<std::weak_ptr<rclcpp::detail::WakeSignal>> waiters_;
};

}  // namespace

struct rcl_guard_condition_impl_s
{
  std::shared_ptr<TriggerState> state;
};

struct rcl_wait_set_impl_s
{
  std::shared_ptr<rclcpp::detail::WakeSignal> wake_signal;
  std::vector<const rcl_guard_condition_t *> slots;
  std::vector<std::shared_ptr<TriggerState>> states;
};

extern "C" rcl_ret_t rcl_wait_set_add_guard_condition(
  rcl_wait_set_t * wait_set, const rcl_guard_condition_t * guard_condition, size_t * index)
{
  if (wait_set == nullptr || guard_condition == nullptr) {
    return RCL_RET_INVALID_ARGUMENT;
  }
  if (wait_set->impl == nullptr) {
    return RCL_RET_WAIT_SET_INVALID;
  }
  if (guard_condition->impl == nullptr) {
    return RCL_RET_INVALID_ARGUMENT;
  }
  auto & impl = *wait_set->impl;
  if (impl.states.size() >= impl.slots.size()) {
    return RCL_RET_WAIT_SET_FULL;
  }
  const size_t slot = impl.states.size();
  impl.states.push_back(guard_condition->impl->state);
  impl.states.back()->attach(impl.wake_signal);
  impl.slots[slot] = guard_condition;
  if (index != nullptr) {
    *index = slot;
  }
  return RCL_RET_OK;
}

namespace rclcpp
{
namespace detail
{

rcl_guard_condition_t init_rcl_guard_condition()
{
  rcl_guard_condition_t guard_condition;
  guard_condition.impl = new rcl_guard_condition_impl_s{std::make_shared<TriggerState>()};
  return guard_condition;
}

void trigger_rcl_guard_condition(const rcl_guard_condition_t & guard_condition)
{
  guard_condition.impl->state->trigger();
}

void fini_rcl_guard_condition(rcl_guard_condition_t & guard_condition) noexcept
{
  delete guard_condition.impl;
  guard_condition.impl = nullptr;
}

ExecutorWaitSet::ExecutorWaitSet(std::shared_ptr<WakeSignal> wake_signal)
{
  wait_set_.guard_conditions = nullptr;
  wait_set_.size_of_guard_conditions = 0;
  wait_set_.impl = new rcl_wait_set_impl_s{std::move(wake_signal), {}, {}};
}

ExecutorWaitSet::~ExecutorWaitSet()
{
  clear();
  delete wait_set_.impl;
}

void ExecutorWaitSet::reset(size_t guard_conditions)
{
  clear();
  auto & impl = *wait_set_.impl;
  impl.slots.assign(guard_conditions, nullptr);
  wait_set_.guard_conditions = impl.slots.empty() ? nullptr : impl.slots.data();
  wait_set_.size_of_guard_conditions = impl.slots.size();
}

bool ExecutorWaitSet::take_triggered()
{
  auto & impl = *wait_set_.impl;
  bool any = false;
  for (size_t slot = 0; slot < impl.states.size(); ++slot) {
    if (impl.states[slot]->take()) {
      any = true;
    } else {
      impl.slots[slot] = nullptr;
    }
  }
  return any;
}

void ExecutorWaitSet::clear() noexcept
{
  auto & impl = *wait_set_.impl;
  for (const auto & state : impl.states) {
    state->detach(impl.wake_signal);
  }
  impl.states.clear();
  std::fill(impl.slots.begin(), impl.slots.end(), nullptr);
}

}  // namespace detail
}  // namespace rclcpp

#ifndef RCLCPP__WAITABLE_HPP_
#define RCLCPP__WAITABLE_HPP_

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>

#include "rcl/wait.h"
#include "rclcpp/macros.hpp"

namespace rclcpp
{

/// Work of its own kind that an executor runs in a callback group (actions use it).
///
/// Each time the executor waits, it sizes its wait set by the get_number_of_ready_*() counts of
/// the waitables in the groups it may take work from, calls add_to_wait_set() on each, waits
/// until something is ready (a guard condition in the set triggered, or other work of the
/// executor), then calls is_ready() on each. For one that is ready it calls take_data() while
/// selecting work and execute() with that data on the thread that runs callbacks of the group
/// (never concurrently with other callbacks of a mutually exclusive group).
///
/// A waitable wakes the executor by triggering a guard condition it added to the wait set. A
/// trigger counts once: a waitable that still has work after take_data() must trigger again.
class Waitable
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS_NOT_COPYABLE(Waitable)

  virtual ~Waitable() = default;

  /// The number of entities of each kind the waitable adds to a wait set; 0 unless overridden.
  virtual size_t get_number_of_ready_subscriptions();
  virtual size_t get_number_of_ready_timers();
  virtual size_t get_number_of_ready_clients();
  virtual size_t get_number_of_ready_events();
  virtual size_t get_number_of_ready_services();
  virtual size_t get_number_of_ready_guard_conditions();

  virtual void add_to_wait_set(rcl_wait_set_t * wait_set) = 0;
  /// Called after the wait with the same wait set; must not block.
  virtual bool is_ready(rcl_wait_set_t * wait_set) = 0;
  /// Must not block.
  virtual std::shared_ptr<void> take_data() = 0;
  /// Throws std::runtime_error unless overridden.
  virtual std::shared_ptr<void> take_data_by_entity_id(size_t id);
  virtual void execute(std::shared_ptr<void> & data) = 0;

  bool exchange_in_use_by_wait_set_state(bool in_use_state);

  /// Throw std::runtime_error unless overridden.
  virtual void set_on_ready_callback(std::function<void(size_t, int)> callback);
  virtual void clear_on_ready_callback();

private:
  std::atomic<bool> in_use_by_wait_set_{false};
};

}  // namespace rclcpp

#endif  // RCLCPP__WAITABLE_HPP_

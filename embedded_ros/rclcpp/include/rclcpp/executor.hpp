#ifndef RCLCPP__EXECUTOR_HPP_
#define RCLCPP__EXECUTOR_HPP_

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "rclcpp/any_executable.hpp"
#include "rclcpp/callback_group.hpp"
#include "rclcpp/context.hpp"
#include "rclcpp/detail/wake_signal.hpp"
#include "rclcpp/executor_options.hpp"
#include "rclcpp/future_return_code.hpp"
#include "rclcpp/guard_condition.hpp"
#include "rclcpp/macros.hpp"
#include "rclcpp/node_interfaces/node_base_interface.hpp"
#include "rclcpp/utilities.hpp"

namespace rclcpp
{

class Node;

/// Runs the callbacks of the callback groups it was given (directly or through nodes).
///
/// Waiting: the executor gathers the ready entities of its groups; when there are none it
/// blocks on its wake signal until an entity reports new work, a group or node changes, the
/// next timer is due, the timeout passes, cancel() is called or the context shuts down.
/// An idle executor uses no CPU.
class Executor
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS_NOT_COPYABLE(Executor)

  explicit Executor(const rclcpp::ExecutorOptions & options = rclcpp::ExecutorOptions());
  virtual ~Executor();

  virtual void spin() = 0;

  /// Throws std::runtime_error("Callback group has already been added to an executor.") when
  /// another executor has the group.
  virtual void add_callback_group(
    rclcpp::CallbackGroup::SharedPtr group_ptr,
    rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_ptr, bool notify = true);
  virtual void remove_callback_group(
    rclcpp::CallbackGroup::SharedPtr group_ptr, bool notify = true);
  virtual std::vector<rclcpp::CallbackGroup::WeakPtr> get_all_callback_groups();

  /// Adds the node's groups that are not taken and add themselves automatically, now and later.
  /// Throws std::runtime_error when another executor has the node.
  virtual void add_node(
    rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_ptr, bool notify = true);
  virtual void add_node(std::shared_ptr<rclcpp::Node> node_ptr, bool notify = true);
  virtual void remove_node(
    rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_ptr, bool notify = true);
  virtual void remove_node(std::shared_ptr<rclcpp::Node> node_ptr, bool notify = true);

  template <typename RepT = int64_t, typename T = std::milli>
  void spin_node_once(
    rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node,
    std::chrono::duration<RepT, T> timeout = std::chrono::duration<RepT, T>(-1))
  {
    spin_node_once_nanoseconds(node, std::chrono::duration_cast<std::chrono::nanoseconds>(timeout));
  }

  void spin_node_some(rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node);
  void spin_node_some(std::shared_ptr<rclcpp::Node> node);

  /// Runs the work that is ready now, once each, without waiting for more.
  virtual void spin_some(std::chrono::nanoseconds max_duration = std::chrono::nanoseconds(0));
  /// Runs work until none is ready or `max_duration` (> 0) passed.
  virtual void spin_all(std::chrono::nanoseconds max_duration);
  /// Waits up to `timeout` (negative: no limit) for one piece of work and runs it.
  virtual void spin_once(std::chrono::nanoseconds timeout = std::chrono::nanoseconds(-1));

  /// Spins until the future is ready, the timeout passes or the context shuts down.
  template <typename FutureT, typename TimeRepT = int64_t, typename TimeT = std::milli>
  FutureReturnCode spin_until_future_complete(
    const FutureT & future,
    std::chrono::duration<TimeRepT, TimeT> timeout = std::chrono::duration<TimeRepT, TimeT>(-1))
  {
    if (future.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
      return FutureReturnCode::SUCCESS;
    }
    const auto timeout_ns = std::chrono::duration_cast<std::chrono::nanoseconds>(timeout);
    const auto end_time = std::chrono::steady_clock::now() + timeout_ns;
    SpinningGuard guard(spinning, "spin_until_future_complete() called while already spinning");
    std::chrono::nanoseconds timeout_left = timeout_ns;
    while (rclcpp::ok(context_) && spinning.load()) {
      spin_once_impl(timeout_left);
      if (future.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
        return FutureReturnCode::SUCCESS;
      }
      if (timeout_ns < std::chrono::nanoseconds::zero()) {
        continue;
      }
      const auto now = std::chrono::steady_clock::now();
      if (now >= end_time) {
        return FutureReturnCode::TIMEOUT;
      }
      timeout_left = std::chrono::duration_cast<std::chrono::nanoseconds>(end_time - now);
    }
    return FutureReturnCode::INTERRUPTED;
  }

  /// Makes spin() return soon; safe from any thread.
  void cancel();
  bool is_spinning();

protected:
  /// Sets a flag for the life of a spin call; throws when already spinning.
  class SpinningGuard
  {
  public:
    SpinningGuard(std::atomic_bool & spinning, const char * error_text);
    ~SpinningGuard();

  private:
    std::atomic_bool & spinning_;
  };

  void spin_node_once_nanoseconds(
    rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node, std::chrono::nanoseconds timeout);
  void spin_some_impl(std::chrono::nanoseconds max_duration, bool exhaustive);
  void spin_once_impl(std::chrono::nanoseconds timeout);

  /// Runs the work; releases a mutually exclusive group afterwards.
  void execute_any_executable(AnyExecutable & any_exec);

  /// Waits for work (negative timeout: no limit) and takes a snapshot of what is ready.
  void wait_for_work(std::chrono::nanoseconds timeout = std::chrono::nanoseconds(-1));
  /// Takes one piece of work from the snapshot; false when it holds none that can run now.
  bool get_next_ready_executable(AnyExecutable & any_executable);
  bool get_next_executable(
    AnyExecutable & any_executable,
    std::chrono::nanoseconds timeout = std::chrono::nanoseconds(-1));

  std::atomic_bool spinning;
  rclcpp::Context::SharedPtr context_;
  /// Created first, so that an executor needs a valid context (as rcl's wait set does).
  rclcpp::GuardCondition interrupt_guard_condition_;
  /// Triggered by the context's shutdown.
  std::shared_ptr<rclcpp::GuardCondition> shutdown_guard_condition_;
  /// Serialises waiting and taking work between the threads of one executor.
  std::mutex wait_mutex_;

private:
  RCLCPP_DISABLE_COPY(Executor)

  struct GroupEntry
  {
    rclcpp::CallbackGroup::WeakPtr group;
    rclcpp::node_interfaces::NodeBaseInterface::WeakPtr node;
    bool added_with_node;
  };

  template <typename EntityT>
  struct ReadyEntity
  {
    std::shared_ptr<EntityT> entity;
    rclcpp::CallbackGroup::SharedPtr group;
  };

  struct ReadySet
  {
    std::vector<ReadyEntity<rclcpp::TimerBase>> timers;
    std::vector<ReadyEntity<rclcpp::SubscriptionBase>> subscriptions;
    std::vector<ReadyEntity<rclcpp::ServiceBase>> services;
    std::vector<ReadyEntity<rclcpp::ClientBase>> clients;
    std::vector<ReadyEntity<rclcpp::Waitable>> waitables;
    bool empty() const;
  };

  void attach_group(
    const rclcpp::CallbackGroup::SharedPtr & group,
    const rclcpp::node_interfaces::NodeBaseInterface::SharedPtr & node, bool added_with_node);
  void detach_group(const rclcpp::CallbackGroup::SharedPtr & group);
  void add_new_groups_of_nodes();
  /// Scans the groups; returns the time until the next timer is due (max when none).
  std::chrono::nanoseconds collect_ready(ReadySet & ready);
  bool take_timer(AnyExecutable & any_exec);
  bool take_subscription(AnyExecutable & any_exec);
  bool take_service(AnyExecutable & any_exec);
  bool take_client(AnyExecutable & any_exec);
  bool take_waitable(AnyExecutable & any_exec);

  std::shared_ptr<detail::WakeSignal> wake_signal_;
  rclcpp::OnShutdownCallbackHandle shutdown_callback_handle_;
  std::mutex mutex_;
  std::vector<GroupEntry> groups_;
  std::vector<rclcpp::node_interfaces::NodeBaseInterface::WeakPtr> weak_nodes_;
  ReadySet ready_;
};

}  // namespace rclcpp

#endif  // RCLCPP__EXECUTOR_HPP_

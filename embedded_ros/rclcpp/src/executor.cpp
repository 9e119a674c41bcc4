#include "rclcpp/executor.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "rclcpp/node.hpp"

namespace rclcpp
{

namespace
{

using NodeBaseSharedPtr = rclcpp::node_interfaces::NodeBaseInterface::SharedPtr;

/// Releases a mutually exclusive group after its callback ran, even when it threw.
class GroupRelease
{
public:
  GroupRelease(const CallbackGroup::SharedPtr & group, detail::WakeSignal & wake_signal)
  : group_(group), wake_signal_(wake_signal)
  {
  }
  ~GroupRelease()
  {
    if (group_ && group_->type() == CallbackGroupType::MutuallyExclusive) {
      group_->can_be_taken_from().store(true);
      // Other threads of a multi-threaded executor may wait for this group's work.
      wake_signal_.notify();
    }
  }

private:
  CallbackGroup::SharedPtr group_;
  detail::WakeSignal & wake_signal_;
};

}  // namespace

Executor::SpinningGuard::SpinningGuard(std::atomic_bool & spinning, const char * error_text)
: spinning_(spinning)
{
  if (spinning_.exchange(true)) {
    throw std::runtime_error(error_text);
  }
}

Executor::SpinningGuard::~SpinningGuard() { spinning_.store(false); }

bool Executor::ReadySet::empty() const
{
  return timers.empty() && subscriptions.empty() && services.empty() && clients.empty() &&
         waitables.empty();
}

Executor::Executor(const rclcpp::ExecutorOptions & options)
: spinning(false),
  context_(options.context),
  interrupt_guard_condition_(options.context),
  shutdown_guard_condition_(std::make_shared<rclcpp::GuardCondition>(options.context)),
  wake_signal_(std::make_shared<detail::WakeSignal>())
{
  std::weak_ptr<detail::WakeSignal> weak_wake = wake_signal_;
  const auto wake = [weak_wake](size_t) {
    if (auto wake_signal = weak_wake.lock()) {
      wake_signal->notify();
    }
  };
  interrupt_guard_condition_.set_on_trigger_callback(wake);
  shutdown_guard_condition_->set_on_trigger_callback(wake);
  std::weak_ptr<rclcpp::GuardCondition> weak_shutdown = shutdown_guard_condition_;
  shutdown_callback_handle_ = context_->add_on_shutdown_callback([weak_shutdown]() {
    if (auto shutdown_guard_condition = weak_shutdown.lock()) {
      shutdown_guard_condition->trigger();
    }
  });
}

Executor::~Executor()
{
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto & entry : groups_) {
    if (auto group = entry.group.lock()) {
      group->set_executor_wake_signal(nullptr);
      group->get_associated_with_executor_atomic().store(false);
    }
  }
  for (const auto & weak_node : weak_nodes_) {
    if (auto node = weak_node.lock()) {
      node->set_executor_wake_signal(nullptr);
      node->get_associated_with_executor_atomic().store(false);
    }
  }
  context_->remove_on_shutdown_callback(shutdown_callback_handle_);
}

void Executor::attach_group(
  const CallbackGroup::SharedPtr & group, const NodeBaseSharedPtr & node, bool added_with_node)
{
  if (group->get_associated_with_executor_atomic().exchange(true)) {
    throw std::runtime_error("Callback group has already been added to an executor.");
  }
  groups_.push_back(GroupEntry{group, node, added_with_node});
  group->set_executor_wake_signal(wake_signal_);
}

void Executor::detach_group(const CallbackGroup::SharedPtr & group)
{
  group->set_executor_wake_signal(nullptr);
  group->get_associated_with_executor_atomic().store(false);
}

void Executor::add_callback_group(
  CallbackGroup::SharedPtr group_ptr, NodeBaseSharedPtr node_ptr, bool notify)
{
  {
    std::lock_guard<std::mutex> lock(mutex_);
    attach_group(group_ptr, node_ptr, false);
  }
  if (notify) {
    wake_signal_->notify();
  }
}

void Executor::remove_callback_group(CallbackGroup::SharedPtr group_ptr, bool notify)
{
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find_if(groups_.begin(), groups_.end(), [&group_ptr](const GroupEntry & entry) {
      return entry.group.lock() == group_ptr;
    });
    if (it == groups_.end()) {
      throw std::runtime_error("Callback group needs to be associated with this executor.");
    }
    groups_.erase(it);
    detach_group(group_ptr);
  }
  if (notify) {
    wake_signal_->notify();
  }
}

std::vector<CallbackGroup::WeakPtr> Executor::get_all_callback_groups()
{
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<CallbackGroup::WeakPtr> groups;
  for (const auto & entry : groups_) {
    groups.push_back(entry.group);
  }
  return groups;
}

void Executor::add_node(NodeBaseSharedPtr node_ptr, bool notify)
{
  if (node_ptr->get_associated_with_executor_atomic().exchange(true)) {
    throw std::runtime_error(
      std::string("Node '") + node_ptr->get_fully_qualified_name() +
      "' has already been added to an executor.");
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    node_ptr->for_each_callback_group([this, &node_ptr](CallbackGroup::SharedPtr group) {
      if (
        !group->get_associated_with_executor_atomic().load() &&
        group->automatically_add_to_executor_with_node()) {
        attach_group(group, node_ptr, true);
      }
    });
    weak_nodes_.push_back(node_ptr);
    node_ptr->set_executor_wake_signal(wake_signal_);
  }
  if (notify) {
    wake_signal_->notify();
  }
}

void Executor::add_node(std::shared_ptr<rclcpp::Node> node_ptr, bool notify)
{
  add_node(node_ptr->get_node_base_interface(), notify);
}

void Executor::remove_node(NodeBaseSharedPtr node_ptr, bool notify)
{
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto node_it = std::find_if(
      weak_nodes_.begin(), weak_nodes_.end(),
      [&node_ptr](const auto & weak) { return weak.lock() == node_ptr; });
    if (node_it == weak_nodes_.end()) {
      throw std::runtime_error("Node needs to be associated with this executor.");
    }
    weak_nodes_.erase(node_it);
    for (auto it = groups_.begin(); it != groups_.end();) {
      auto group = it->group.lock();
      if (it->added_with_node && it->node.lock() == node_ptr) {
        if (group) {
          detach_group(group);
        }
        it = groups_.erase(it);
      } else {
        ++it;
      }
    }
    node_ptr->set_executor_wake_signal(nullptr);
    node_ptr->get_associated_with_executor_atomic().store(false);
  }
  if (notify) {
    wake_signal_->notify();
  }
}

void Executor::remove_node(std::shared_ptr<rclcpp::Node> node_ptr, bool notify)
{
  remove_node(node_ptr->get_node_base_interface(), notify);
}

void Executor::spin_node_once_nanoseconds(NodeBaseSharedPtr node, std::chrono::nanoseconds timeout)
{
  add_node(node, false);
  try {
    spin_once(timeout);
  } catch (...) {
    remove_node(node, false);
    throw;
  }
  remove_node(node, false);
}

void Executor::spin_node_some(NodeBaseSharedPtr node)
{
  add_node(node, false);
  try {
    spin_some();
  } catch (...) {
    remove_node(node, false);
    throw;
  }
  remove_node(node, false);
}

void Executor::spin_node_some(std::shared_ptr<rclcpp::Node> node)
{
  spin_node_some(node->get_node_base_interface());
}

void Executor::spin_some(std::chrono::nanoseconds max_duration)
{
  spin_some_impl(max_duration, false);
}

void Executor::spin_all(std::chrono::nanoseconds max_duration)
{
  if (max_duration <= std::chrono::nanoseconds::zero()) {
    throw std::invalid_argument("max_duration must be positive");
  }
  spin_some_impl(max_duration, true);
}

void Executor::spin_some_impl(std::chrono::nanoseconds max_duration, bool exhaustive)
{
  const auto start = std::chrono::steady_clock::now();
  auto max_duration_not_elapsed = [max_duration, start]() {
    return max_duration == std::chrono::nanoseconds::zero() ||
           std::chrono::steady_clock::now() - start < max_duration;
  };
  SpinningGuard guard(spinning, "spin_some() called while already spinning");
  bool work_available = false;
  while (rclcpp::ok(context_) && spinning.load() && max_duration_not_elapsed()) {
    AnyExecutable any_exec;
    if (!work_available) {
      wait_for_work(std::chrono::nanoseconds::zero());
    }
    if (get_next_ready_executable(any_exec)) {
      execute_any_executable(any_exec);
      work_available = true;
    } else {
      if (!work_available || !exhaustive) {
        break;
      }
      work_available = false;
    }
  }
}

void Executor::spin_once(std::chrono::nanoseconds timeout)
{
  SpinningGuard guard(spinning, "spin_once() called while already spinning");
  spin_once_impl(timeout);
}

void Executor::spin_once_impl(std::chrono::nanoseconds timeout)
{
  AnyExecutable any_exec;
  if (get_next_executable(any_exec, timeout)) {
    execute_any_executable(any_exec);
  }
}

void Executor::cancel()
{
  spinning.store(false);
  interrupt_guard_condition_.trigger();
}

bool Executor::is_spinning() { return spinning.load(); }

void Executor::execute_any_executable(AnyExecutable & any_exec)
{
  if (!spinning.load()) {
    return;
  }
  GroupRelease release(any_exec.callback_group, *wake_signal_);
  if (any_exec.timer) {
    any_exec.timer->execute_callback();
  } else if (any_exec.subscription) {
    any_exec.subscription->handle_type_erased_message(any_exec.message);
  } else if (any_exec.service) {
    auto header = std::make_shared<rmw_request_id_t>(any_exec.service_message.header);
    any_exec.service->handle_request(header, any_exec.service_message.payload);
  } else if (any_exec.client) {
    auto header = std::make_shared<rmw_request_id_t>(any_exec.service_message.header);
    any_exec.client->handle_response(header, any_exec.service_message.payload);
  } else if (any_exec.waitable) {
    any_exec.waitable->execute(any_exec.data);
  }
}

}  // namespace rclcpp

// How an executor finds work: gathering the ready entities of its callback groups, blocking
// while there are none, and taking one piece of work (with its data) at a time.

#include <algorithm>
#include <chrono>
#include <vector>

#include "rclcpp/executor.hpp"

namespace rclcpp
{

namespace
{

std::chrono::steady_clock::time_point deadline_after(std::chrono::nanoseconds timeout)
{
  if (timeout < std::chrono::nanoseconds::zero() || timeout >= std::chrono::hours(24 * 365)) {
    return std::chrono::steady_clock::time_point::max();
  }
  return std::chrono::steady_clock::now() + timeout;
}

template <typename ReadyT>
bool take_first_runnable(std::vector<ReadyT> & ready, ReadyT & taken)
{
  for (auto it = ready.begin(); it != ready.end(); ++it) {
    if (it->group->can_be_taken_from().load()) {
      taken = std::move(*it);
      ready.erase(it);
      return true;
    }
  }
  return false;
}

void claim_group(const CallbackGroup::SharedPtr & group)
{
  if (group->type() == CallbackGroupType::MutuallyExclusive) {
    group->can_be_taken_from().store(false);
  }
}

}  // namespace

void Executor::add_new_groups_of_nodes()
{
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto & weak_node : weak_nodes_) {
    auto node = weak_node.lock();
    if (!node) {
      continue;
    }
    node->for_each_callback_group([this, &node](CallbackGroup::SharedPtr group) {
      if (
        group->automatically_add_to_executor_with_node() &&
        !group->get_associated_with_executor_atomic().load()) {
        attach_group(group, node, true);
      }
    });
  }
}

std::chrono::nanoseconds Executor::collect_ready(
  ReadySet & ready, std::vector<ReadyEntity<Waitable>> & waitables)
{
  std::vector<CallbackGroup::SharedPtr> groups;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto & entry : groups_) {
      auto group = entry.group.lock();
      if (group && group->can_be_taken_from().load()) {
        groups.push_back(group);
      }
    }
  }
  auto next_timer = std::chrono::nanoseconds::max();
  for (const auto & group : groups) {
    group->collect_all_ptrs(
      [&](const SubscriptionBase::SharedPtr & sub) {
        if (sub->has_message()) ready.subscriptions.push_back({sub, group});
      },
      [&](const ServiceBase::SharedPtr & service) {
        if (service->has_request()) ready.services.push_back({service, group});
      },
      [&](const ClientBase::SharedPtr & client) {
        if (client->has_response()) ready.clients.push_back({client, group});
      },
      [&](const TimerBase::SharedPtr & timer) {
        const auto until = timer->time_until_trigger();
        if (until <= std::chrono::nanoseconds::zero()) {
          ready.timers.push_back({timer, group});
        }
        next_timer = std::min(next_timer, until);
      },
      [&](const Waitable::SharedPtr & waitable) {
        waitables.push_back({waitable, group});
      });
  }
  return next_timer;
}

bool Executor::fill_wait_set(const std::vector<ReadyEntity<Waitable>> & waitables)
{
  size_t guard_conditions = 0;
  for (const auto & entry : waitables) {
    guard_conditions += entry.entity->get_number_of_ready_guard_conditions();
  }
  wait_set_.reset(guard_conditions);
  for (const auto & entry : waitables) {
    entry.entity->add_to_wait_set(wait_set_.get());
  }
  return wait_set_.take_triggered();
}

void Executor::wait_for_work(std::chrono::nanoseconds timeout)
{
  struct ClearWaitSet
  {
    detail::ExecutorWaitSet & wait_set;
    ~ClearWaitSet() { wait_set.clear(); }
  } clear_on_exit{wait_set_};

  add_new_groups_of_nodes();
  ReadySet ready;
  std::vector<ReadyEntity<Waitable>> waitables;
  auto next_timer = collect_ready(ready, waitables);
  const bool triggered = fill_wait_set(waitables);
  if (
    ready.empty() && !triggered && timeout != std::chrono::nanoseconds::zero() && spinning.load() &&
    rclcpp::ok(context_)) {
    // The guard conditions stay in the wait set while blocking, so that a trigger wakes the
    // executor; the waitables themselves are not held meanwhile.
    waitables.clear();
    auto deadline = deadline_after(timeout);
    if (next_timer != std::chrono::nanoseconds::max()) {
      deadline = std::min(deadline, std::chrono::steady_clock::now() + next_timer);
    }
    wake_signal_->wait_until(deadline);
    add_new_groups_of_nodes();
    ready = ReadySet();
    collect_ready(ready, waitables);
    fill_wait_set(waitables);
  }
  for (auto & entry : waitables) {
    if (entry.entity->is_ready(wait_set_.get())) {
      ready.waitables.push_back(std::move(entry));
    }
  }
  ready_ = std::move(ready);
}

bool Executor::take_timer(AnyExecutable & any_exec)
{
  ReadyEntity<TimerBase> entry;
  while (take_first_runnable(ready_.timers, entry)) {
    if (entry.entity->call()) {
      any_exec.timer = entry.entity;
      any_exec.callback_group = entry.group;
      return true;
    }
  }
  return false;
}

bool Executor::take_subscription(AnyExecutable & any_exec)
{
  ReadyEntity<SubscriptionBase> entry;
  while (take_first_runnable(ready_.subscriptions, entry)) {
    if (auto message = entry.entity->take_type_erased_message()) {
      any_exec.subscription = entry.entity;
      any_exec.message = std::move(message);
      any_exec.callback_group = entry.group;
      return true;
    }
  }
  return false;
}

bool Executor::take_service(AnyExecutable & any_exec)
{
  ReadyEntity<ServiceBase> entry;
  while (take_first_runnable(ready_.services, entry)) {
    if (entry.entity->take_type_erased_request(any_exec.service_message)) {
      any_exec.service = entry.entity;
      any_exec.callback_group = entry.group;
      return true;
    }
  }
  return false;
}

bool Executor::take_client(AnyExecutable & any_exec)
{
  ReadyEntity<ClientBase> entry;
  while (take_first_runnable(ready_.clients, entry)) {
    if (entry.entity->take_type_erased_response(any_exec.service_message)) {
      any_exec.client = entry.entity;
      any_exec.callback_group = entry.group;
      return true;
    }
  }
  return false;
}

bool Executor::take_waitable(AnyExecutable & any_exec)
{
  ReadyEntity<Waitable> entry;
  if (!take_first_runnable(ready_.waitables, entry)) {
    return false;
  }
  any_exec.waitable = entry.entity;
  any_exec.data = entry.entity->take_data();
  any_exec.callback_group = entry.group;
  return true;
}

bool Executor::get_next_ready_executable(AnyExecutable & any_executable)
{
  const bool found = take_timer(any_executable) || take_subscription(any_executable) ||
                     take_service(any_executable) || take_client(any_executable) ||
                     take_waitable(any_executable);
  if (found) {
    claim_group(any_executable.callback_group);
  }
  return found;
}

bool Executor::get_next_executable(AnyExecutable & any_executable, std::chrono::nanoseconds timeout)
{
  if (get_next_ready_executable(any_executable)) {
    return true;
  }
  wait_for_work(timeout);
  if (!spinning.load()) {
    return false;
  }
  return get_next_ready_executable(any_executable);
}

}  // namespace rclcpp

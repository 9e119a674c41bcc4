#include "rclcpp/callback_group.hpp"

#include <algorithm>

#include "rclcpp/detail/wake_signal.hpp"

namespace rclcpp
{

namespace
{

template <typename EntityT>
size_t count_alive(const std::vector<std::weak_ptr<EntityT>> & entities)
{
  return static_cast<size_t>(std::count_if(
    entities.begin(), entities.end(), [](const auto & weak) { return !weak.expired(); }));
}

template <typename EntityT>
void add_pruned(std::vector<std::weak_ptr<EntityT>> & entities, std::shared_ptr<EntityT> entity)
{
  entities.erase(
    std::remove_if(
      entities.begin(), entities.end(), [](const auto & weak) { return weak.expired(); }),
    entities.end());
  entities.push_back(std::move(entity));
}

}  // namespace

CallbackGroup::CallbackGroup(
  CallbackGroupType group_type, bool automatically_add_to_executor_with_node)
: type_(group_type),
  associated_with_executor_(false),
  can_be_taken_from_(true),
  automatically_add_to_executor_with_node_(automatically_add_to_executor_with_node)
{
}

CallbackGroup::~CallbackGroup() = default;

void CallbackGroup::collect_all_ptrs(
  std::function<void(const rclcpp::SubscriptionBase::SharedPtr &)> sub_func,
  std::function<void(const rclcpp::ServiceBase::SharedPtr &)> service_func,
  std::function<void(const rclcpp::ClientBase::SharedPtr &)> client_func,
  std::function<void(const rclcpp::TimerBase::SharedPtr &)> timer_func,
  std::function<void(const rclcpp::Waitable::SharedPtr &)> waitable_func) const
{
  // The callbacks run on copies taken under the lock and outside it: the strong references they
  // hold may be the last ones, and an entity's deleter may remove itself from this group.
  std::vector<rclcpp::SubscriptionBase::WeakPtr> subscriptions;
  std::vector<rclcpp::ServiceBase::WeakPtr> services;
  std::vector<rclcpp::ClientBase::WeakPtr> clients;
  std::vector<rclcpp::TimerBase::WeakPtr> timers;
  std::vector<rclcpp::Waitable::WeakPtr> waitables;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    subscriptions = subscription_ptrs_;
    services = service_ptrs_;
    clients = client_ptrs_;
    timers = timer_ptrs_;
    waitables = waitable_ptrs_;
  }
  collect(subscriptions, sub_func);
  collect(services, service_func);
  collect(clients, client_func);
  collect(timers, timer_func);
  collect(waitables, waitable_func);
}

std::atomic_bool & CallbackGroup::can_be_taken_from() { return can_be_taken_from_; }

const CallbackGroupType & CallbackGroup::type() const { return type_; }

std::atomic_bool & CallbackGroup::get_associated_with_executor_atomic()
{
  return associated_with_executor_;
}

bool CallbackGroup::automatically_add_to_executor_with_node() const
{
  return automatically_add_to_executor_with_node_;
}

size_t CallbackGroup::size() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return count_alive(subscription_ptrs_) + count_alive(service_ptrs_) + count_alive(client_ptrs_) +
         count_alive(timer_ptrs_) + count_alive(waitable_ptrs_);
}

void CallbackGroup::set_executor_wake_signal(std::shared_ptr<detail::WakeSignal> wake_signal)
{
  std::lock_guard<std::mutex> lock(wake_mutex_);
  wake_signal_ = std::move(wake_signal);
}

void CallbackGroup::trigger_notify_guard_condition()
{
  std::shared_ptr<detail::WakeSignal> wake_signal;
  {
    std::lock_guard<std::mutex> lock(wake_mutex_);
    wake_signal = wake_signal_;
  }
  if (wake_signal) {
    wake_signal->notify();
  }
}

void CallbackGroup::add_subscription(const rclcpp::SubscriptionBase::SharedPtr subscription_ptr)
{
  std::lock_guard<std::mutex> lock(mutex_);
  add_pruned(subscription_ptrs_, subscription_ptr);
}

void CallbackGroup::add_timer(const rclcpp::TimerBase::SharedPtr timer_ptr)
{
  std::lock_guard<std::mutex> lock(mutex_);
  add_pruned(timer_ptrs_, timer_ptr);
}

void CallbackGroup::add_service(const rclcpp::ServiceBase::SharedPtr service_ptr)
{
  std::lock_guard<std::mutex> lock(mutex_);
  add_pruned(service_ptrs_, service_ptr);
}

void CallbackGroup::add_client(const rclcpp::ClientBase::SharedPtr client_ptr)
{
  std::lock_guard<std::mutex> lock(mutex_);
  add_pruned(client_ptrs_, client_ptr);
}

void CallbackGroup::add_waitable(const rclcpp::Waitable::SharedPtr waitable_ptr)
{
  std::lock_guard<std::mutex> lock(mutex_);
  add_pruned(waitable_ptrs_, waitable_ptr);
}

void CallbackGroup::remove_waitable(const rclcpp::Waitable::SharedPtr waitable_ptr) noexcept
{
  std::lock_guard<std::mutex> lock(mutex_);
  waitable_ptrs_.erase(
    std::remove_if(
      waitable_ptrs_.begin(), waitable_ptrs_.end(),
      [&waitable_ptr](const auto & weak) {
        auto waitable = weak.lock();
        return !waitable || waitable == waitable_ptr;
      }),
    waitable_ptrs_.end());
}

}  // namespace rclcpp

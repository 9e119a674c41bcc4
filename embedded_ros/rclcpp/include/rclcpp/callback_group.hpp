#ifndef RCLCPP__CALLBACK_GROUP_HPP_
#define RCLCPP__CALLBACK_GROUP_HPP_

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "rclcpp/client.hpp"
#include "rclcpp/macros.hpp"
#include "rclcpp/publisher_base.hpp"
#include "rclcpp/service.hpp"
#include "rclcpp/subscription_base.hpp"
#include "rclcpp/timer.hpp"
#include "rclcpp/waitable.hpp"

namespace rclcpp
{

namespace detail
{
class WakeSignal;
}  // namespace detail

namespace node_interfaces
{
class NodeServices;
class NodeTimers;
class NodeTopics;
class NodeWaitables;
}  // namespace node_interfaces

enum class CallbackGroupType { MutuallyExclusive, Reentrant };

/// A set of entities whose callbacks one executor runs. Callbacks of a mutually exclusive group
/// never overlap; those of a reentrant group may run in parallel (multi-threaded executor).
/// The group holds its entities weakly: destroying an entity removes it.
class CallbackGroup
{
  friend class rclcpp::node_interfaces::NodeServices;
  friend class rclcpp::node_interfaces::NodeTimers;
  friend class rclcpp::node_interfaces::NodeTopics;
  friend class rclcpp::node_interfaces::NodeWaitables;

public:
  RCLCPP_SMART_PTR_DEFINITIONS(CallbackGroup)

  explicit CallbackGroup(
    CallbackGroupType group_type, bool automatically_add_to_executor_with_node = true);
  ~CallbackGroup();

  void collect_all_ptrs(
    std::function<void(const rclcpp::SubscriptionBase::SharedPtr &)> sub_func,
    std::function<void(const rclcpp::ServiceBase::SharedPtr &)> service_func,
    std::function<void(const rclcpp::ClientBase::SharedPtr &)> client_func,
    std::function<void(const rclcpp::TimerBase::SharedPtr &)> timer_func,
    std::function<void(const rclcpp::Waitable::SharedPtr &)> waitable_func) const;

  std::atomic_bool & can_be_taken_from();
  const CallbackGroupType & type() const;
  std::atomic_bool & get_associated_with_executor_atomic();
  bool automatically_add_to_executor_with_node() const;
  size_t size() const;

  /// Connects the group to the executor that took it (null: released).
  void set_executor_wake_signal(std::shared_ptr<detail::WakeSignal> wake_signal);
  /// Wakes the executor that serves this group, if any.
  void trigger_notify_guard_condition();

protected:
  RCLCPP_DISABLE_COPY(CallbackGroup)

  void add_publisher(const rclcpp::PublisherBase::SharedPtr /*publisher_ptr*/) {}
  void add_subscription(const rclcpp::SubscriptionBase::SharedPtr subscription_ptr);
  void add_timer(const rclcpp::TimerBase::SharedPtr timer_ptr);
  void add_service(const rclcpp::ServiceBase::SharedPtr service_ptr);
  void add_client(const rclcpp::ClientBase::SharedPtr client_ptr);
  void add_waitable(const rclcpp::Waitable::SharedPtr waitable_ptr);
  void remove_waitable(const rclcpp::Waitable::SharedPtr waitable_ptr) noexcept;

private:
  template <typename EntityT>
  static void collect(
    const std::vector<std::weak_ptr<EntityT>> & entities,
    const std::function<void(const std::shared_ptr<EntityT> &)> & func)
  {
    for (const auto & weak : entities) {
      if (auto entity = weak.lock()) {
        func(entity);
      }
    }
  }

  CallbackGroupType type_;
  mutable std::mutex mutex_;
  std::atomic_bool associated_with_executor_;
  std::vector<rclcpp::SubscriptionBase::WeakPtr> subscription_ptrs_;
  std::vector<rclcpp::TimerBase::WeakPtr> timer_ptrs_;
  std::vector<rclcpp::ServiceBase::WeakPtr> service_ptrs_;
  std::vector<rclcpp::ClientBase::WeakPtr> client_ptrs_;
  std::vector<rclcpp::Waitable::WeakPtr> waitable_ptrs_;
  std::atomic_bool can_be_taken_from_;
  const bool automatically_add_to_executor_with_node_;

  std::mutex wake_mutex_;
  std::shared_ptr<detail::WakeSignal> wake_signal_;
};

}  // namespace rclcpp

#endif  // RCLCPP__CALLBACK_GROUP_HPP_

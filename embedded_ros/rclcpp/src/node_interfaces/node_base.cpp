#include "rclcpp/node_interfaces/node_base.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "detail/name_validation.hpp"
#include "rclcpp/detail/domain.hpp"
#include "rclcpp/detail/wake_signal.hpp"
#include "rclcpp/exceptions.hpp"

namespace rclcpp
{
namespace node_interfaces
{

namespace
{

rclcpp::detail::RosArguments parse_node_arguments(const std::vector<std::string> & arguments)
{
  try {
    return rclcpp::detail::RosArguments::parse(arguments);
  } catch (const exceptions::RCLInvalidROSArgsError & error) {
    throw exceptions::RCLInvalidROSArgsError(error, "failed to parse arguments");
  }
}

/// The first matching rule of the node's own arguments, then of the global ones.
template <typename FindT>
std::optional<std::string> first_rule(
  const rclcpp::detail::RosArguments & local, const rclcpp::detail::RosArguments * global,
  FindT find)
{
  if (auto remapped = find(local)) {
    return remapped;
  }
  return global ? find(*global) : std::nullopt;
}

}  // namespace

NodeBase::NodeBase(
  const std::string & node_name, const std::string & namespace_, rclcpp::Context::SharedPtr context,
  const std::vector<std::string> & arguments, bool use_global_arguments,
  bool use_intra_process_default, bool enable_topic_statistics_default)
: context_(context),
  local_arguments_(parse_node_arguments(arguments)),
  notify_guard_condition_(context),
  use_global_arguments_(use_global_arguments),
  use_intra_process_default_(use_intra_process_default),
  enable_topic_statistics_default_(enable_topic_statistics_default)
{
  rclcpp::detail::validate_node_name(node_name);
  std::string normalized_namespace = rclcpp::detail::normalize_namespace(namespace_);
  const auto * global = use_global_arguments_ ? &context_->get_global_arguments() : nullptr;
  name_ = first_rule(local_arguments_, global, [&node_name](const auto & args) {
            return args.find_node_name_remap(node_name);
          }).value_or(node_name);
  rclcpp::detail::validate_node_name(name_);
  this->namespace_ = rclcpp::detail::normalize_namespace(
    first_rule(local_arguments_, global, [&node_name](const auto & args) {
      return args.find_namespace_remap(node_name);
    }).value_or(normalized_namespace));
  fully_qualified_name_ = rclcpp::detail::fully_qualified_name(this->namespace_, name_);
  default_callback_group_ = create_callback_group(CallbackGroupType::MutuallyExclusive);
  rclcpp::detail::Domain::global().add_node(node_id(), this->namespace_, name_);
}

NodeBase::~NodeBase() { rclcpp::detail::Domain::global().remove_node(node_id()); }

uintptr_t NodeBase::node_id() const
{
  return reinterpret_cast<uintptr_t>(static_cast<const NodeBaseInterface *>(this));
}

const char * NodeBase::get_name() const { return name_.c_str(); }

const char * NodeBase::get_namespace() const { return namespace_.c_str(); }

const char * NodeBase::get_fully_qualified_name() const { return fully_qualified_name_.c_str(); }

rclcpp::Context::SharedPtr NodeBase::get_context() { return context_; }

rclcpp::CallbackGroup::SharedPtr NodeBase::create_callback_group(
  rclcpp::CallbackGroupType group_type, bool automatically_add_to_executor_with_node)
{
  auto group =
    std::make_shared<rclcpp::CallbackGroup>(group_type, automatically_add_to_executor_with_node);
  {
    std::lock_guard<std::mutex> lock(groups_mutex_);
    callback_groups_.push_back(group);
  }
  trigger_notify_guard_condition();
  return group;
}

rclcpp::CallbackGroup::SharedPtr NodeBase::get_default_callback_group()
{
  return default_callback_group_;
}

bool NodeBase::callback_group_in_node(rclcpp::CallbackGroup::SharedPtr group)
{
  std::lock_guard<std::mutex> lock(groups_mutex_);
  return std::any_of(callback_groups_.begin(), callback_groups_.end(), [&group](const auto & weak) {
    return weak.lock() == group;
  });
}

void NodeBase::for_each_callback_group(const CallbackGroupFunction & func)
{
  std::vector<rclcpp::CallbackGroup::SharedPtr> groups;
  {
    std::lock_guard<std::mutex> lock(groups_mutex_);
    callback_groups_.erase(
      std::remove_if(
        callback_groups_.begin(), callback_groups_.end(),
        [](const auto & weak) { return weak.expired(); }),
      callback_groups_.end());
    for (const auto & weak : callback_groups_) {
      if (auto group = weak.lock()) {
        groups.push_back(group);
      }
    }
  }
  for (const auto & group : groups) {
    func(group);
  }
}

std::atomic_bool & NodeBase::get_associated_with_executor_atomic()
{
  return associated_with_executor_;
}

void NodeBase::set_executor_wake_signal(std::shared_ptr<rclcpp::detail::WakeSignal> wake_signal)
{
  std::lock_guard<std::mutex> lock(wake_mutex_);
  wake_signal_ = std::move(wake_signal);
}

void NodeBase::trigger_notify_guard_condition()
{
  std::shared_ptr<rclcpp::detail::WakeSignal> wake_signal;
  {
    std::lock_guard<std::mutex> lock(wake_mutex_);
    wake_signal = wake_signal_;
  }
  if (wake_signal) {
    wake_signal->notify();
  }
}

bool NodeBase::get_use_intra_process_default() const { return use_intra_process_default_; }

bool NodeBase::get_enable_topic_statistics_default() const
{
  return enable_topic_statistics_default_;
}

std::string NodeBase::resolve_topic_or_service_name(
  const std::string & name, bool is_service, bool only_expand) const
{
  std::string expanded =
    rclcpp::detail::expand_topic_or_service_name(name, name_, namespace_, is_service);
  if (only_expand) {
    return expanded;
  }
  const auto * global = use_global_arguments_ ? &context_->get_global_arguments() : nullptr;
  return first_rule(
           local_arguments_, global,
           [&](const auto & args) {
             return args.find_name_remap(name_, namespace_, expanded, is_service);
           })
    .value_or(expanded);
}

const rclcpp::detail::RosArguments & NodeBase::get_local_arguments() const
{
  return local_arguments_;
}

bool NodeBase::get_use_global_arguments() const { return use_global_arguments_; }

}  // namespace node_interfaces
}  // namespace rclcpp

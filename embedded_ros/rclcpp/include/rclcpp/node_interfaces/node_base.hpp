#ifndef RCLCPP__NODE_INTERFACES__NODE_BASE_HPP_
#define RCLCPP__NODE_INTERFACES__NODE_BASE_HPP_

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "rclcpp/detail/ros_arguments.hpp"
#include "rclcpp/guard_condition.hpp"
#include "rclcpp/node_interfaces/node_base_interface.hpp"

namespace rclcpp
{
namespace node_interfaces
{

/// The node's name and namespace after validation and remapping, its arguments and groups.
class NodeBase : public NodeBaseInterface, public std::enable_shared_from_this<NodeBase>
{
public:
  RCLCPP_SMART_PTR_ALIASES_ONLY(NodeBase)

  /// Throws InvalidNodeNameError / InvalidNamespaceError for invalid names and
  /// RCLInvalidROSArgsError for malformed `arguments`.
  NodeBase(
    const std::string & node_name, const std::string & namespace_,
    rclcpp::Context::SharedPtr context, const std::vector<std::string> & arguments,
    bool use_global_arguments, bool use_intra_process_default = false,
    bool enable_topic_statistics_default = false);
  ~NodeBase() override;

  const char * get_name() const override;
  const char * get_namespace() const override;
  const char * get_fully_qualified_name() const override;
  rclcpp::Context::SharedPtr get_context() override;

  rclcpp::CallbackGroup::SharedPtr create_callback_group(
    rclcpp::CallbackGroupType group_type,
    bool automatically_add_to_executor_with_node = true) override;
  rclcpp::CallbackGroup::SharedPtr get_default_callback_group() override;
  bool callback_group_in_node(rclcpp::CallbackGroup::SharedPtr group) override;
  void for_each_callback_group(const CallbackGroupFunction & func) override;

  std::atomic_bool & get_associated_with_executor_atomic() override;
  void set_executor_wake_signal(std::shared_ptr<rclcpp::detail::WakeSignal> wake_signal) override;
  void trigger_notify_guard_condition() override;

  bool get_use_intra_process_default() const override;
  bool get_enable_topic_statistics_default() const override;

  std::string resolve_topic_or_service_name(
    const std::string & name, bool is_service, bool only_expand = false) const override;

  /// Node-specific arguments (NodeOptions::arguments), parsed.
  const rclcpp::detail::RosArguments & get_local_arguments() const;
  bool get_use_global_arguments() const;

private:
  uintptr_t node_id() const;
  RCLCPP_DISABLE_COPY(NodeBase)

  rclcpp::Context::SharedPtr context_;
  rclcpp::detail::RosArguments local_arguments_;
  /// Created before anything else of the node: a node needs a valid context.
  rclcpp::GuardCondition notify_guard_condition_;
  bool use_global_arguments_;
  std::string name_;
  std::string namespace_;
  std::string fully_qualified_name_;
  bool use_intra_process_default_;
  bool enable_topic_statistics_default_;

  mutable std::mutex groups_mutex_;
  rclcpp::CallbackGroup::SharedPtr default_callback_group_;
  std::vector<rclcpp::CallbackGroup::WeakPtr> callback_groups_;
  std::atomic_bool associated_with_executor_{false};

  std::mutex wake_mutex_;
  std::shared_ptr<rclcpp::detail::WakeSignal> wake_signal_;
};

}  // namespace node_interfaces
}  // namespace rclcpp

#endif  // RCLCPP__NODE_INTERFACES__NODE_BASE_HPP_

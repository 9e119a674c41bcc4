// A managed node: an rclcpp node with the standard lifecycle state machine.
#ifndef RCLCPP_LIFECYCLE__LIFECYCLE_NODE_HPP_
#define RCLCPP_LIFECYCLE__LIFECYCLE_NODE_HPP_

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <rcl_interfaces/msg/list_parameters_result.hpp>
#include <rcl_interfaces/msg/parameter_descriptor.hpp>
#include <rcl_interfaces/msg/set_parameters_result.hpp>
#include <rclcpp/node.hpp>

#include "rclcpp_lifecycle/lifecycle_publisher.hpp"
#include "rclcpp_lifecycle/managed_entity.hpp"
#include "rclcpp_lifecycle/node_interfaces/lifecycle_node_interface.hpp"
#include "rclcpp_lifecycle/state.hpp"
#include "rclcpp_lifecycle/transition.hpp"

namespace rclcpp_lifecycle
{
/// States: unconfigured, inactive, active, finalized, and the transition states configuring,
/// cleaningup, shuttingdown, activating, deactivating, errorprocessing. A transition runs its
/// callback (the on_* members, or one registered with register_on_*); the callback's answer
/// decides where the node goes. An exception thrown by a callback is caught, logged and
/// treated as ERROR. With the communication interface the node serves "~/change_state" and
/// "~/get_state" and publishes "~/transition_event".
///
/// The node's rclcpp parts (names, parameters, entities, clock) are those of an rclcpp::Node it
/// owns; its interfaces are that node's interfaces.
class LifecycleNode : public node_interfaces::LifecycleNodeInterface,
                      public std::enable_shared_from_this<LifecycleNode>
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS(LifecycleNode)

  using CallbackReturn = node_interfaces::LifecycleNodeInterface::CallbackReturn;
  using TransitionCallback = std::function<CallbackReturn(const State &)>;

  explicit LifecycleNode(
    const std::string & node_name, const rclcpp::NodeOptions & options = rclcpp::NodeOptions(),
    bool enable_communication_interface = true);
  LifecycleNode(
    const std::string & node_name, const std::string & namespace_,
    const rclcpp::NodeOptions & options = rclcpp::NodeOptions(),
    bool enable_communication_interface = true);
  ~LifecycleNode() override;

  const char * get_name() const;
  const char * get_namespace() const;
  rclcpp::Logger get_logger() const;

  rclcpp::CallbackGroup::SharedPtr create_callback_group(
    rclcpp::CallbackGroupType group_type, bool automatically_add_to_executor_with_node = true);
  void for_each_callback_group(
    const rclcpp::node_interfaces::NodeBaseInterface::CallbackGroupFunction & func);

  /// A LifecyclePublisher, managed by this node: activated and deactivated with it.
  template <typename MessageT, typename AllocatorT = std::allocator<void>>
  std::shared_ptr<rclcpp_lifecycle::LifecyclePublisher<MessageT, AllocatorT>> create_publisher(
    const std::string & topic_name, const rclcpp::QoS & qos,
    const rclcpp::PublisherOptionsWithAllocator<AllocatorT> & options =
      rclcpp::PublisherOptionsWithAllocator<AllocatorT>());

  template <
    typename MessageT, typename CallbackT, typename AllocatorT = std::allocator<void>,
    typename SubscriptionT = rclcpp::Subscription<MessageT, AllocatorT>>
  std::shared_ptr<SubscriptionT> create_subscription(
    const std::string & topic_name, const rclcpp::QoS & qos, CallbackT && callback,
    const rclcpp::SubscriptionOptionsWithAllocator<AllocatorT> & options =
      rclcpp::SubscriptionOptionsWithAllocator<AllocatorT>())
  {
    return node_->create_subscription<MessageT, CallbackT, AllocatorT, SubscriptionT>(
      topic_name, qos, std::forward<CallbackT>(callback), options);
  }

  template <typename DurationRepT = int64_t, typename DurationT = std::milli, typename CallbackT>
  typename rclcpp::WallTimer<CallbackT>::SharedPtr create_wall_timer(
    std::chrono::duration<DurationRepT, DurationT> period, CallbackT callback,
    rclcpp::CallbackGroup::SharedPtr group = nullptr)
  {
    return node_->create_wall_timer(period, std::move(callback), group);
  }

  template <typename ServiceT>
  typename rclcpp::Client<ServiceT>::SharedPtr create_client(
    const std::string & service_name,
    const rmw_qos_profile_t & qos_profile = rmw_qos_profile_services_default,
    rclcpp::CallbackGroup::SharedPtr group = nullptr)
  {
    return node_->create_client<ServiceT>(service_name, qos_profile, group);
  }

  template <typename ServiceT, typename CallbackT>
  typename rclcpp::Service<ServiceT>::SharedPtr create_service(
    const std::string & service_name, CallbackT && callback,
    const rmw_qos_profile_t & qos_profile = rmw_qos_profile_services_default,
    rclcpp::CallbackGroup::SharedPtr group = nullptr)
  {
    return node_->create_service<ServiceT>(
      service_name, std::forward<CallbackT>(callback), qos_profile, group);
  }

  const rclcpp::ParameterValue & declare_parameter(
    const std::string & name, const rclcpp::ParameterValue & default_value,
    const rcl_interfaces::msg::ParameterDescriptor & parameter_descriptor =
      rcl_interfaces::msg::ParameterDescriptor(),
    bool ignore_override = false);

  const rclcpp::ParameterValue & declare_parameter(
    const std::string & name, rclcpp::ParameterType type,
    const rcl_interfaces::msg::ParameterDescriptor & parameter_descriptor =
      rcl_interfaces::msg::ParameterDescriptor{},
    bool ignore_override = false);

  template <typename ParameterT>
  auto declare_parameter(
    const std::string & name, const ParameterT & default_value,
    const rcl_interfaces::msg::ParameterDescriptor & parameter_descriptor =
      rcl_interfaces::msg::ParameterDescriptor(),
    bool ignore_override = false)
  {
    return node_->declare_parameter<ParameterT>(
      name, default_value, parameter_descriptor, ignore_override);
  }

  template <typename ParameterT>
  auto declare_parameter(
    const std::string & name,
    const rcl_interfaces::msg::ParameterDescriptor & parameter_descriptor =
      rcl_interfaces::msg::ParameterDescriptor(),
    bool ignore_override = false)
  {
    return node_->declare_parameter<ParameterT>(name, parameter_descriptor, ignore_override);
  }

  template <typename ParameterT>
  std::vector<ParameterT> declare_parameters(
    const std::string & namespace_, const std::map<std::string, ParameterT> & parameters,
    bool ignore_overrides = false)
  {
    return node_->declare_parameters(namespace_, parameters, ignore_overrides);
  }

  void undeclare_parameter(const std::string & name);
  bool has_parameter(const std::string & name) const;

  rcl_interfaces::msg::SetParametersResult set_parameter(const rclcpp::Parameter & parameter);
  std::vector<rcl_interfaces::msg::SetParametersResult> set_parameters(
    const std::vector<rclcpp::Parameter> & parameters);
  rcl_interfaces::msg::SetParametersResult set_parameters_atomically(
    const std::vector<rclcpp::Parameter> & parameters);

  rclcpp::Parameter get_parameter(const std::string & name) const;
  bool get_parameter(const std::string & name, rclcpp::Parameter & parameter) const;

  template <typename ParameterT>
  bool get_parameter(const std::string & name, ParameterT & parameter) const
  {
    return node_->get_parameter(name, parameter);
  }

  template <typename ParameterT>
  bool get_parameter_or(
    const std::string & name, ParameterT & parameter, const ParameterT & alternative_value) const
  {
    return node_->get_parameter_or(name, parameter, alternative_value);
  }

  template <typename ParameterT>
  ParameterT get_parameter_or(const std::string & name, const ParameterT & alternative_value) const
  {
    return node_->get_parameter_or(name, alternative_value);
  }

  std::vector<rclcpp::Parameter> get_parameters(const std::vector<std::string> & names) const;

  template <typename ParameterT>
  bool get_parameters(const std::string & prefix, std::map<std::string, ParameterT> & values) const
  {
    return node_->get_parameters(prefix, values);
  }

  rcl_interfaces::msg::ParameterDescriptor describe_parameter(const std::string & name) const;
  std::vector<rcl_interfaces::msg::ParameterDescriptor> describe_parameters(
    const std::vector<std::string> & names) const;
  std::vector<uint8_t> get_parameter_types(const std::vector<std::string> & names) const;
  rcl_interfaces::msg::ListParametersResult list_parameters(
    const std::vector<std::string> & prefixes, uint64_t depth) const;

  rclcpp::Node::OnSetParametersCallbackHandle::SharedPtr add_on_set_parameters_callback(
    rclcpp::Node::OnParametersSetCallbackType callback);
  void remove_on_set_parameters_callback(
    const rclcpp::Node::OnSetParametersCallbackHandle * const handler);

  std::vector<std::string> get_node_names() const;
  std::map<std::string, std::vector<std::string>> get_topic_names_and_types() const;
  std::map<std::string, std::vector<std::string>> get_service_names_and_types() const;
  size_t count_publishers(const std::string & topic_name) const;
  size_t count_subscribers(const std::string & topic_name) const;

  rclcpp::Clock::SharedPtr get_clock();
  rclcpp::Clock::ConstSharedPtr get_clock() const;
  rclcpp::Time now() const;

  rclcpp::node_interfaces::NodeBaseInterface::SharedPtr get_node_base_interface();
  rclcpp::node_interfaces::NodeClockInterface::SharedPtr get_node_clock_interface();
  rclcpp::node_interfaces::NodeGraphInterface::SharedPtr get_node_graph_interface();
  rclcpp::node_interfaces::NodeLoggingInterface::SharedPtr get_node_logging_interface();
  rclcpp::node_interfaces::NodeTimersInterface::SharedPtr get_node_timers_interface();
  rclcpp::node_interfaces::NodeTopicsInterface::SharedPtr get_node_topics_interface();
  rclcpp::node_interfaces::NodeServicesInterface::SharedPtr get_node_services_interface();
  rclcpp::node_interfaces::NodeParametersInterface::SharedPtr get_node_parameters_interface();
  rclcpp::node_interfaces::NodeWaitablesInterface::SharedPtr get_node_waitables_interface();

  const rclcpp::NodeOptions & get_node_options() const;

  // ---- lifecycle ----

  const State & get_current_state() const;
  std::vector<State> get_available_states() const;
  /// The transitions possible from the current state.
  std::vector<Transition> get_available_transitions() const;
  /// Every transition of the state machine.
  std::vector<Transition> get_transition_graph() const;

  /// Triggers a transition by id (lifecycle_msgs::msg::Transition::TRANSITION_*) and returns
  /// the state the node ends in. A transition not possible from the current state is logged
  /// and leaves the state unchanged.
  const State & trigger_transition(const Transition & transition);
  const State & trigger_transition(const Transition & transition, CallbackReturn & cb_return_code);
  const State & trigger_transition(uint8_t transition_id);
  const State & trigger_transition(uint8_t transition_id, CallbackReturn & cb_return_code);

  const State & configure();
  const State & configure(CallbackReturn & cb_return_code);
  const State & cleanup();
  const State & cleanup(CallbackReturn & cb_return_code);
  const State & activate();
  const State & activate(CallbackReturn & cb_return_code);
  const State & deactivate();
  const State & deactivate(CallbackReturn & cb_return_code);
  /// Shuts the node down from unconfigured, inactive or active.
  const State & shutdown();
  const State & shutdown(CallbackReturn & cb_return_code);

  /// Replaces the on_* member as the callback of a transition; returns true.
  bool register_on_configure(TransitionCallback fcn);
  bool register_on_cleanup(TransitionCallback fcn);
  bool register_on_shutdown(TransitionCallback fcn);
  bool register_on_activate(TransitionCallback fcn);
  bool register_on_deactivate(TransitionCallback fcn);
  bool register_on_error(TransitionCallback fcn);

  /// Activates the node's managed entities.
  CallbackReturn on_activate(const State & previous_state) override;
  /// Deactivates the node's managed entities.
  CallbackReturn on_deactivate(const State & previous_state) override;

  void add_managed_entity(std::weak_ptr<ManagedEntityInterface> managed_entity);

private:
  class LifecycleNodeInterfaceImpl;

  LifecycleNode(const LifecycleNode &) = delete;
  LifecycleNode & operator=(const LifecycleNode &) = delete;

  std::shared_ptr<rclcpp::Node> node_;
  std::unique_ptr<LifecycleNodeInterfaceImpl> impl_;
};

template <typename MessageT, typename AllocatorT>
std::shared_ptr<rclcpp_lifecycle::LifecyclePublisher<MessageT, AllocatorT>>
LifecycleNode::create_publisher(
  const std::string & topic_name, const rclcpp::QoS & qos,
  const rclcpp::PublisherOptionsWithAllocator<AllocatorT> & options)
{
  using PublisherT = rclcpp_lifecycle::LifecyclePublisher<MessageT, AllocatorT>;
  auto publisher =
    node_->create_publisher<MessageT, AllocatorT, PublisherT>(topic_name, qos, options);
  add_managed_entity(publisher);
  return publisher;
}

}  // namespace rclcpp_lifecycle

#endif  // RCLCPP_LIFECYCLE__LIFECYCLE_NODE_HPP_

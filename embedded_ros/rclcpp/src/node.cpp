#include "rclcpp/node.hpp"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "rclcpp/detail/resolve_parameter_overrides.hpp"
#include "rclcpp/node_interfaces/node_base.hpp"
#include "rclcpp/node_interfaces/node_clock.hpp"
#include "rclcpp/node_interfaces/node_graph.hpp"
#include "rclcpp/node_interfaces/node_logging.hpp"
#include "rclcpp/node_interfaces/node_parameters.hpp"
#include "rclcpp/node_interfaces/node_services.hpp"
#include "rclcpp/node_interfaces/node_timers.hpp"
#include "rclcpp/node_interfaces/node_topics.hpp"
#include "rclcpp/node_interfaces/node_waitables.hpp"

namespace rclcpp
{

namespace
{

std::map<std::string, rclcpp::ParameterValue> overrides_for(
  const node_interfaces::NodeBase & node_base, const NodeOptions & options)
{
  const auto * global =
    node_base.get_use_global_arguments() ? &options.context()->get_global_arguments() : nullptr;
  return detail::resolve_parameter_overrides(
    node_base.get_fully_qualified_name(), options.parameter_overrides(),
    node_base.get_local_arguments(), global);
}

}  // namespace

Node::Node(const std::string & node_name, const NodeOptions & options)
: Node(node_name, "", options)
{
}

Node::Node(
  const std::string & node_name, const std::string & namespace_, const NodeOptions & options)
: node_options_(options)
{
  auto node_base = std::make_shared<node_interfaces::NodeBase>(
    node_name, namespace_, options.context(), options.arguments(), options.use_global_arguments(),
    options.use_intra_process_comms(), options.enable_topic_statistics());
  node_base_ = node_base;
  node_graph_ = std::make_shared<node_interfaces::NodeGraph>(node_base_.get());
  node_logging_ = std::make_shared<node_interfaces::NodeLogging>(node_base_.get());
  node_timers_ = std::make_shared<node_interfaces::NodeTimers>(node_base_.get());
  node_topics_ =
    std::make_shared<node_interfaces::NodeTopics>(node_base_.get(), node_timers_.get());
  node_services_ = std::make_shared<node_interfaces::NodeServices>(node_base_.get());
  node_clock_ = std::make_shared<node_interfaces::NodeClock>(RCL_ROS_TIME);
  node_parameters_ = std::make_shared<node_interfaces::NodeParameters>(
    node_base_, node_services_, overrides_for(*node_base, options),
    options.start_parameter_services(), options.allow_undeclared_parameters(),
    options.automatically_declare_parameters_from_overrides());
  node_waitables_ = std::make_shared<node_interfaces::NodeWaitables>(node_base_.get());
  effective_namespace_ = node_base_->get_namespace();
}

Node::~Node() = default;

const char * Node::get_name() const { return node_base_->get_name(); }
const char * Node::get_namespace() const { return node_base_->get_namespace(); }
const char * Node::get_fully_qualified_name() const
{
  return node_base_->get_fully_qualified_name();
}
rclcpp::Logger Node::get_logger() const { return node_logging_->get_logger(); }

rclcpp::CallbackGroup::SharedPtr Node::create_callback_group(
  rclcpp::CallbackGroupType group_type, bool automatically_add_to_executor_with_node)
{
  return node_base_->create_callback_group(group_type, automatically_add_to_executor_with_node);
}

void Node::for_each_callback_group(
  const node_interfaces::NodeBaseInterface::CallbackGroupFunction & func)
{
  node_base_->for_each_callback_group(func);
}

const rclcpp::ParameterValue & Node::declare_parameter(
  const std::string & name, const rclcpp::ParameterValue & default_value,
  const rcl_interfaces::msg::ParameterDescriptor & parameter_descriptor, bool ignore_override)
{
  return node_parameters_->declare_parameter(
    name, default_value, parameter_descriptor, ignore_override);
}

const rclcpp::ParameterValue & Node::declare_parameter(
  const std::string & name, rclcpp::ParameterType type,
  const rcl_interfaces::msg::ParameterDescriptor & parameter_descriptor, bool ignore_override)
{
  return node_parameters_->declare_parameter(name, type, parameter_descriptor, ignore_override);
}

void Node::undeclare_parameter(const std::string & name)
{
  node_parameters_->undeclare_parameter(name);
}

bool Node::has_parameter(const std::string & name) const
{
  return node_parameters_->has_parameter(name);
}

rcl_interfaces::msg::SetParametersResult Node::set_parameter(const rclcpp::Parameter & parameter)
{
  return set_parameters_atomically({parameter});
}

std::vector<rcl_interfaces::msg::SetParametersResult> Node::set_parameters(
  const std::vector<rclcpp::Parameter> & parameters)
{
  return node_parameters_->set_parameters(parameters);
}

rcl_interfaces::msg::SetParametersResult Node::set_parameters_atomically(
  const std::vector<rclcpp::Parameter> & parameters)
{
  return node_parameters_->set_parameters_atomically(parameters);
}

rclcpp::Parameter Node::get_parameter(const std::string & name) const
{
  return node_parameters_->get_parameter(name);
}

bool Node::get_parameter(const std::string & name, rclcpp::Parameter & parameter) const
{
  return node_parameters_->get_parameter(name, parameter);
}

std::vector<rclcpp::Parameter> Node::get_parameters(const std::vector<std::string> & names) const
{
  return node_parameters_->get_parameters(names);
}

rcl_interfaces::msg::ParameterDescriptor Node::describe_parameter(const std::string & name) const
{
  auto result = node_parameters_->describe_parameters({name});
  if (result.empty()) {
    throw rclcpp::exceptions::ParameterNotDeclaredException(name);
  }
  if (result.size() > 1) {
    throw std::runtime_error("number of described parameters unexpectedly more than one");
  }
  return result.front();
}

std::vector<rcl_interfaces::msg::ParameterDescriptor> Node::describe_parameters(
  const std::vector<std::string> & names) const
{
  return node_parameters_->describe_parameters(names);
}

std::vector<uint8_t> Node::get_parameter_types(const std::vector<std::string> & names) const
{
  return node_parameters_->get_parameter_types(names);
}

rcl_interfaces::msg::ListParametersResult Node::list_parameters(
  const std::vector<std::string> & prefixes, uint64_t depth) const
{
  return node_parameters_->list_parameters(prefixes, depth);
}

Node::OnSetParametersCallbackHandle::SharedPtr Node::add_on_set_parameters_callback(
  OnParametersSetCallbackType callback)
{
  return node_parameters_->add_on_set_parameters_callback(callback);
}

void Node::remove_on_set_parameters_callback(const OnSetParametersCallbackHandle * const handler)
{
  node_parameters_->remove_on_set_parameters_callback(handler);
}

std::vector<std::string> Node::get_node_names() const { return node_graph_->get_node_names(); }

std::map<std::string, std::vector<std::string>> Node::get_topic_names_and_types() const
{
  return node_graph_->get_topic_names_and_types();
}

std::map<std::string, std::vector<std::string>> Node::get_service_names_and_types() const
{
  return node_graph_->get_service_names_and_types();
}

size_t Node::count_publishers(const std::string & topic_name) const
{
  return node_graph_->count_publishers(topic_name);
}

size_t Node::count_subscribers(const std::string & topic_name) const
{
  return node_graph_->count_subscribers(topic_name);
}

rclcpp::Clock::SharedPtr Node::get_clock() { return node_clock_->get_clock(); }

rclcpp::Clock::ConstSharedPtr Node::get_clock() const { return node_clock_->get_clock(); }

Time Node::now() const { return node_clock_->get_clock()->now(); }

node_interfaces::NodeBaseInterface::SharedPtr Node::get_node_base_interface() { return node_base_; }

node_interfaces::NodeClockInterface::SharedPtr Node::get_node_clock_interface()
{
  return node_clock_;
}

node_interfaces::NodeGraphInterface::SharedPtr Node::get_node_graph_interface()
{
  return node_graph_;
}

node_interfaces::NodeLoggingInterface::SharedPtr Node::get_node_logging_interface()
{
  return node_logging_;
}

node_interfaces::NodeTimersInterface::SharedPtr Node::get_node_timers_interface()
{
  return node_timers_;
}

node_interfaces::NodeTopicsInterface::SharedPtr Node::get_node_topics_interface()
{
  return node_topics_;
}

node_interfaces::NodeServicesInterface::SharedPtr Node::get_node_services_interface()
{
  return node_services_;
}

node_interfaces::NodeWaitablesInterface::SharedPtr Node::get_node_waitables_interface()
{
  return node_waitables_;
}

node_interfaces::NodeParametersInterface::SharedPtr Node::get_node_parameters_interface()
{
  return node_parameters_;
}

const rclcpp::NodeOptions & Node::get_node_options() const { return node_options_; }

}  // namespace rclcpp

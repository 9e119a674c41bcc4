#ifndef RCLCPP__NODE_INTERFACES__NODE_PARAMETERS_HPP_
#define RCLCPP__NODE_INTERFACES__NODE_PARAMETERS_HPP_

#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "rcl_interfaces/msg/parameter_descriptor.hpp"
#include "rclcpp/node_interfaces/node_base_interface.hpp"
#include "rclcpp/node_interfaces/node_parameters_interface.hpp"
#include "rclcpp/node_interfaces/node_services_interface.hpp"
#include "rclcpp/parameter_service.hpp"

namespace rclcpp
{
namespace node_interfaces
{

/// A declared parameter: its value and descriptor.
struct ParameterInfo
{
  rclcpp::ParameterValue value;
  rcl_interfaces::msg::ParameterDescriptor descriptor;
};

/// The node's parameters. Declaring takes the value from the overrides (command line, parameter
/// files, NodeOptions::parameter_overrides) when there is one, else the default; every change
/// is checked against the descriptor (type, range, read-only) and the on-set callbacks, which
/// may refuse it.
class NodeParameters : public NodeParametersInterface
{
public:
  RCLCPP_SMART_PTR_ALIASES_ONLY(NodeParameters)

  NodeParameters(
    const rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base,
    const rclcpp::node_interfaces::NodeServicesInterface::SharedPtr node_services,
    const std::map<std::string, rclcpp::ParameterValue> & parameter_overrides,
    bool start_parameter_services, bool allow_undeclared_parameters,
    bool automatically_declare_parameters_from_overrides);
  ~NodeParameters() override;

  const rclcpp::ParameterValue & declare_parameter(
    const std::string & name, const rclcpp::ParameterValue & default_value,
    const rcl_interfaces::msg::ParameterDescriptor & parameter_descriptor =
      rcl_interfaces::msg::ParameterDescriptor(),
    bool ignore_override = false) override;
  const rclcpp::ParameterValue & declare_parameter(
    const std::string & name, rclcpp::ParameterType type,
    const rcl_interfaces::msg::ParameterDescriptor & parameter_descriptor =
      rcl_interfaces::msg::ParameterDescriptor(),
    bool ignore_override = false) override;
  void undeclare_parameter(const std::string & name) override;
  bool has_parameter(const std::string & name) const override;

  std::vector<rcl_interfaces::msg::SetParametersResult> set_parameters(
    const std::vector<rclcpp::Parameter> & parameters) override;
  rcl_interfaces::msg::SetParametersResult set_parameters_atomically(
    const std::vector<rclcpp::Parameter> & parameters) override;

  std::vector<rclcpp::Parameter> get_parameters(
    const std::vector<std::string> & names) const override;
  rclcpp::Parameter get_parameter(const std::string & name) const override;
  bool get_parameter(const std::string & name, rclcpp::Parameter & parameter) const override;
  bool get_parameters_by_prefix(
    const std::string & prefix,
    std::map<std::string, rclcpp::Parameter> & parameters) const override;
  std::vector<rcl_interfaces::msg::ParameterDescriptor> describe_parameters(
    const std::vector<std::string> & names) const override;
  std::vector<uint8_t> get_parameter_types(const std::vector<std::string> & names) const override;
  rcl_interfaces::msg::ListParametersResult list_parameters(
    const std::vector<std::string> & prefixes, uint64_t depth) const override;

  OnSetParametersCallbackHandle::SharedPtr add_on_set_parameters_callback(
    OnParametersSetCallbackType callback) override;
  void remove_on_set_parameters_callback(
    const OnSetParametersCallbackHandle * const handler) override;

  const std::map<std::string, rclcpp::ParameterValue> & get_parameter_overrides() const override;

  using CallbacksContainerType = std::list<OnSetParametersCallbackHandle::WeakPtr>;

private:
  RCLCPP_DISABLE_COPY(NodeParameters)

  class ModificationGuard;

  const rclcpp::ParameterValue & declare_locked(
    const std::string & name, rclcpp::ParameterType type,
    const rclcpp::ParameterValue & default_value,
    rcl_interfaces::msg::ParameterDescriptor descriptor, bool ignore_override);
  rcl_interfaces::msg::SetParametersResult check_and_apply(
    const std::vector<rclcpp::Parameter> & parameters, std::map<std::string, ParameterInfo> & infos,
    bool call_callbacks);
  rcl_interfaces::msg::SetParametersResult call_on_set_callbacks(
    const std::vector<rclcpp::Parameter> & parameters);

  mutable std::recursive_mutex mutex_;
  bool parameter_modification_enabled_ = true;
  std::map<std::string, ParameterInfo> parameters_;
  std::map<std::string, rclcpp::ParameterValue> parameter_overrides_;
  CallbacksContainerType on_parameters_set_callback_container_;
  bool allow_undeclared_;
  std::shared_ptr<ParameterService> parameter_service_;
};

}  // namespace node_interfaces
}  // namespace rclcpp

#endif  // RCLCPP__NODE_INTERFACES__NODE_PARAMETERS_HPP_

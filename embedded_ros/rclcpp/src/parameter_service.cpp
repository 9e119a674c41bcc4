#include "rclcpp/parameter_service.hpp"

#include <memory>
#include <string>
#include <vector>

#include "rclcpp/create_service.hpp"
#include "rclcpp/logging.hpp"
#include "rclcpp/node_interfaces/node_base_interface.hpp"
#include "rclcpp/node_interfaces/node_parameters_interface.hpp"
#include "rclcpp/node_interfaces/node_services_interface.hpp"

namespace rclcpp
{

namespace
{

using NodeParams = rclcpp::node_interfaces::NodeParametersInterface;
namespace srv = rcl_interfaces::srv;

rclcpp::Logger logger() { return rclcpp::get_logger("rclcpp"); }

void get_parameters(
  NodeParams * params, const std::shared_ptr<srv::GetParameters::Request> request,
  std::shared_ptr<srv::GetParameters::Response> response)
{
  try {
    for (const auto & parameter : params->get_parameters(request->names)) {
      response->values.push_back(parameter.get_value_message());
    }
  } catch (const rclcpp::exceptions::ParameterNotDeclaredException & ex) {
    RCLCPP_DEBUG(logger(), "Failed to get parameters: %s", ex.what());
  } catch (const rclcpp::exceptions::ParameterUninitializedException & ex) {
    RCLCPP_DEBUG(logger(), "Failed to get parameters: %s", ex.what());
  }
}

void get_parameter_types(
  NodeParams * params, const std::shared_ptr<srv::GetParameterTypes::Request> request,
  std::shared_ptr<srv::GetParameterTypes::Response> response)
{
  try {
    for (auto type : params->get_parameter_types(request->names)) {
      response->types.push_back(type);
    }
  } catch (const rclcpp::exceptions::ParameterNotDeclaredException & ex) {
    RCLCPP_DEBUG(logger(), "Failed to get parameter types: %s", ex.what());
  }
}

void set_parameters(
  NodeParams * params, const std::shared_ptr<srv::SetParameters::Request> request,
  std::shared_ptr<srv::SetParameters::Response> response)
{
  for (const auto & message : request->parameters) {
    rcl_interfaces::msg::SetParametersResult result;
    try {
      result = params->set_parameters_atomically({rclcpp::Parameter::from_parameter_msg(message)});
    } catch (const rclcpp::exceptions::ParameterNotDeclaredException & ex) {
      RCLCPP_DEBUG(logger(), "Failed to set parameter: %s", ex.what());
      result.successful = false;
      result.reason = ex.what();
    }
    response->results.push_back(result);
  }
}

void set_parameters_atomically(
  NodeParams * params, const std::shared_ptr<srv::SetParametersAtomically::Request> request,
  std::shared_ptr<srv::SetParametersAtomically::Response> response)
{
  std::vector<rclcpp::Parameter> parameters;
  for (const auto & message : request->parameters) {
    parameters.push_back(rclcpp::Parameter::from_parameter_msg(message));
  }
  try {
    response->result = params->set_parameters_atomically(parameters);
  } catch (const rclcpp::exceptions::ParameterNotDeclaredException & ex) {
    RCLCPP_DEBUG(logger(), "Failed to set parameters atomically: %s", ex.what());
    response->result.successful = false;
    response->result.reason = "One or more parameters were not declared before setting";
  }
}

void describe_parameters(
  NodeParams * params, const std::shared_ptr<srv::DescribeParameters::Request> request,
  std::shared_ptr<srv::DescribeParameters::Response> response)
{
  try {
    response->descriptors = params->describe_parameters(request->names);
  } catch (const rclcpp::exceptions::ParameterNotDeclaredException & ex) {
    RCLCPP_DEBUG(logger(), "Failed to describe parameters: %s", ex.what());
  }
}

void list_parameters(
  NodeParams * params, const std::shared_ptr<srv::ListParameters::Request> request,
  std::shared_ptr<srv::ListParameters::Response> response)
{
  response->result = params->list_parameters(request->prefixes, request->depth);
}

}  // namespace

ParameterService::ParameterService(
  const std::shared_ptr<node_interfaces::NodeBaseInterface> node_base,
  const std::shared_ptr<node_interfaces::NodeServicesInterface> node_services,
  rclcpp::node_interfaces::NodeParametersInterface * node_params, const rclcpp::QoS & qos_profile)
{
  const std::string node_name = node_base->get_fully_qualified_name();
  const rmw_qos_profile_t & qos = qos_profile.get_rmw_qos_profile();
  auto bind = [node_params](auto handler) {
    return [node_params, handler](auto request, auto response) {
      handler(node_params, request, response);
    };
  };
  get_parameters_service_ = create_service<srv::GetParameters>(
    node_base, node_services, node_name + "/" + parameter_service_names::get_parameters,
    bind(&get_parameters), qos, nullptr);
  get_parameter_types_service_ = create_service<srv::GetParameterTypes>(
    node_base, node_services, node_name + "/" + parameter_service_names::get_parameter_types,
    bind(&get_parameter_types), qos, nullptr);
  set_parameters_service_ = create_service<srv::SetParameters>(
    node_base, node_services, node_name + "/" + parameter_service_names::set_parameters,
    bind(&set_parameters), qos, nullptr);
  set_parameters_atomically_service_ = create_service<srv::SetParametersAtomically>(
    node_base, node_services, node_name + "/" + parameter_service_names::set_parameters_atomically,
    bind(&set_parameters_atomically), qos, nullptr);
  describe_parameters_service_ = create_service<srv::DescribeParameters>(
    node_base, node_services, node_name + "/" + parameter_service_names::describe_parameters,
    bind(&describe_parameters), qos, nullptr);
  list_parameters_service_ = create_service<srv::ListParameters>(
    node_base, node_services, node_name + "/" + parameter_service_names::list_parameters,
    bind(&list_parameters), qos, nullptr);
}

}  // namespace rclcpp

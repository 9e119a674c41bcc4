#include "rclcpp/parameter_client.hpp"

#include <memory>
#include <string>
#include <vector>

#include "rclcpp/create_client.hpp"
#include "rclcpp/parameter_service.hpp"

namespace rclcpp
{

namespace srv = rcl_interfaces::srv;

namespace
{

template <typename ServiceT>
typename rclcpp::Client<ServiceT>::SharedPtr make_client(
  const node_interfaces::NodeBaseInterface::SharedPtr & node_base,
  const node_interfaces::NodeGraphInterface::SharedPtr & node_graph,
  const node_interfaces::NodeServicesInterface::SharedPtr & node_services,
  const std::string & remote_node_name, const char * service, const rmw_qos_profile_t & qos,
  rclcpp::CallbackGroup::SharedPtr group)
{
  return rclcpp::create_client<ServiceT>(
    node_base, node_graph, node_services, remote_node_name + "/" + service, qos, group);
}

/// Sends a request and completes a promise of `ResultT` with `convert(response)`.
template <typename ServiceT, typename ResultT, typename ConvertT>
std::shared_future<ResultT> call(
  const typename rclcpp::Client<ServiceT>::SharedPtr & client,
  const std::shared_ptr<typename ServiceT::Request> & request, ConvertT convert,
  std::function<void(std::shared_future<ResultT>)> callback)
{
  auto promise = std::make_shared<std::promise<ResultT>>();
  auto future = promise->get_future().share();
  client->async_send_request(
    request,
    [promise, future, convert, callback](typename rclcpp::Client<ServiceT>::SharedFuture response) {
      promise->set_value(convert(response.get()));
      if (callback != nullptr) {
        callback(future);
      }
    });
  return future;
}

}  // namespace

AsyncParametersClient::AsyncParametersClient(
  const node_interfaces::NodeBaseInterface::SharedPtr node_base_interface,
  const node_interfaces::NodeTopicsInterface::SharedPtr node_topics_interface,
  const node_interfaces::NodeGraphInterface::SharedPtr node_graph_interface,
  const node_interfaces::NodeServicesInterface::SharedPtr node_services_interface,
  const std::string & remote_node_name, const rmw_qos_profile_t & qos_profile,
  rclcpp::CallbackGroup::SharedPtr group)
: node_topics_interface_(node_topics_interface),
  remote_node_name_(
    remote_node_name.empty() ? std::string(node_base_interface->get_fully_qualified_name())
                             : remote_node_name)
{
  const auto & base = node_base_interface;
  const auto & graph = node_graph_interface;
  const auto & services = node_services_interface;
  namespace names = parameter_service_names;
  get_parameters_client_ = make_client<srv::GetParameters>(
    base, graph, services, remote_node_name_, names::get_parameters, qos_profile, group);
  get_parameter_types_client_ = make_client<srv::GetParameterTypes>(
    base, graph, services, remote_node_name_, names::get_parameter_types, qos_profile, group);
  set_parameters_client_ = make_client<srv::SetParameters>(
    base, graph, services, remote_node_name_, names::set_parameters, qos_profile, group);
  set_parameters_atomically_client_ = make_client<srv::SetParametersAtomically>(
    base, graph, services, remote_node_name_, names::set_parameters_atomically, qos_profile, group);
  list_parameters_client_ = make_client<srv::ListParameters>(
    base, graph, services, remote_node_name_, names::list_parameters, qos_profile, group);
  describe_parameters_client_ = make_client<srv::DescribeParameters>(
    base, graph, services, remote_node_name_, names::describe_parameters, qos_profile, group);
}

std::shared_future<std::vector<rclcpp::Parameter>> AsyncParametersClient::get_parameters(
  const std::vector<std::string> & names,
  std::function<void(std::shared_future<std::vector<rclcpp::Parameter>>)> callback)
{
  auto request = std::make_shared<srv::GetParameters::Request>();
  request->names = names;
  auto convert = [request](const srv::GetParameters::Response::SharedPtr & response) {
    std::vector<rclcpp::Parameter> parameters;
    for (size_t i = 0; i < response->values.size() && i < request->names.size(); ++i) {
      parameters.emplace_back(request->names[i], rclcpp::ParameterValue(response->values[i]));
    }
    return parameters;
  };
  return call<srv::GetParameters, std::vector<rclcpp::Parameter>>(
    get_parameters_client_, request, convert, callback);
}

std::shared_future<std::vector<rcl_interfaces::msg::ParameterDescriptor>>
AsyncParametersClient::describe_parameters(
  const std::vector<std::string> & names,
  std::function<void(std::shared_future<std::vector<rcl_interfaces::msg::ParameterDescriptor>>)>
    callback)
{
  auto request = std::make_shared<srv::DescribeParameters::Request>();
  request->names = names;
  auto convert = [](const srv::DescribeParameters::Response::SharedPtr & response) {
    return response->descriptors;
  };
  return call<srv::DescribeParameters, std::vector<rcl_interfaces::msg::ParameterDescriptor>>(
    describe_parameters_client_, request, convert, callback);
}

std::shared_future<std::vector<rclcpp::ParameterType>> AsyncParametersClient::get_parameter_types(
  const std::vector<std::string> & names,
  std::function<void(std::shared_future<std::vector<rclcpp::ParameterType>>)> callback)
{
  auto request = std::make_shared<srv::GetParameterTypes::Request>();
  request->names = names;
  auto convert = [](const srv::GetParameterTypes::Response::SharedPtr & response) {
    std::vector<rclcpp::ParameterType> types;
    for (auto type : response->types) {
      types.push_back(static_cast<rclcpp::ParameterType>(type));
    }
    return types;
  };
  return call<srv::GetParameterTypes, std::vector<rclcpp::ParameterType>>(
    get_parameter_types_client_, request, convert, callback);
}

std::shared_future<std::vector<rcl_interfaces::msg::SetParametersResult>>
AsyncParametersClient::set_parameters(
  const std::vector<rclcpp::Parameter> & parameters,
  std::function<void(std::shared_future<std::vector<rcl_interfaces::msg::SetParametersResult>>)>
    callback)
{
  auto request = std::make_shared<srv::SetParameters::Request>();
  for (const auto & parameter : parameters) {
    request->parameters.push_back(parameter.to_parameter_msg());
  }
  auto convert = [](const srv::SetParameters::Response::SharedPtr & response) {
    return response->results;
  };
  return call<srv::SetParameters, std::vector<rcl_interfaces::msg::SetParametersResult>>(
    set_parameters_client_, request, convert, callback);
}

std::shared_future<rcl_interfaces::msg::SetParametersResult>
AsyncParametersClient::set_parameters_atomically(
  const std::vector<rclcpp::Parameter> & parameters,
  std::function<void(std::shared_future<rcl_interfaces::msg::SetParametersResult>)> callback)
{
  auto request = std::make_shared<srv::SetParametersAtomically::Request>();
  for (const auto & parameter : parameters) {
    request->parameters.push_back(parameter.to_parameter_msg());
  }
  auto convert = [](const srv::SetParametersAtomically::Response::SharedPtr & response) {
    return response->result;
  };
  return call<srv::SetParametersAtomically, rcl_interfaces::msg::SetParametersResult>(
    set_parameters_atomically_client_, request, convert, callback);
}

std::shared_future<rcl_interfaces::msg::ListParametersResult>
AsyncParametersClient::list_parameters(
  const std::vector<std::string> & prefixes, uint64_t depth,
  std::function<void(std::shared_future<rcl_interfaces::msg::ListParametersResult>)> callback)
{
  auto request = std::make_shared<srv::ListParameters::Request>();
  request->prefixes = prefixes;
  request->depth = depth;
  auto convert = [](const srv::ListParameters::Response::SharedPtr & response) {
    return response->result;
  };
  return call<srv::ListParameters, rcl_interfaces::msg::ListParametersResult>(
    list_parameters_client_, request, convert, callback);
}

bool AsyncParametersClient::service_is_ready() const
{
  return get_parameters_client_->service_is_ready() &&
         get_parameter_types_client_->service_is_ready() &&
         set_parameters_client_->service_is_ready() &&
         list_parameters_client_->service_is_ready() &&
         describe_parameters_client_->service_is_ready();
}

bool AsyncParametersClient::wait_for_service_nanoseconds(std::chrono::nanoseconds timeout)
{
  const std::vector<std::shared_ptr<rclcpp::ClientBase>> clients{
    get_parameters_client_, get_parameter_types_client_, set_parameters_client_,
    list_parameters_client_, describe_parameters_client_};
  for (const auto & client : clients) {
    if (!client->wait_for_service(timeout)) {
      return false;
    }
  }
  return true;
}

SyncParametersClient::SyncParametersClient(
  rclcpp::Executor::SharedPtr executor,
  const node_interfaces::NodeBaseInterface::SharedPtr node_base_interface,
  const node_interfaces::NodeTopicsInterface::SharedPtr node_topics_interface,
  const node_interfaces::NodeGraphInterface::SharedPtr node_graph_interface,
  const node_interfaces::NodeServicesInterface::SharedPtr node_services_interface,
  const std::string & remote_node_name, const rmw_qos_profile_t & qos_profile)
: executor_(executor), node_base_interface_(node_base_interface)
{
  async_parameters_client_ = std::make_shared<AsyncParametersClient>(
    node_base_interface, node_topics_interface, node_graph_interface, node_services_interface,
    remote_node_name, qos_profile);
}

std::vector<rclcpp::Parameter> SyncParametersClient::get_parameters(
  const std::vector<std::string> & parameter_names, std::chrono::nanoseconds timeout)
{
  auto future = async_parameters_client_->get_parameters(parameter_names);
  return spin_until_complete(future, timeout) ? future.get() : std::vector<rclcpp::Parameter>();
}

bool SyncParametersClient::has_parameter(const std::string & parameter_name)
{
  auto result = list_parameters({parameter_name}, 1, std::chrono::nanoseconds(-1));
  for (const auto & name : result.names) {
    if (name == parameter_name) {
      return true;
    }
  }
  return false;
}

std::vector<rcl_interfaces::msg::ParameterDescriptor> SyncParametersClient::describe_parameters(
  const std::vector<std::string> & parameter_names, std::chrono::nanoseconds timeout)
{
  auto future = async_parameters_client_->describe_parameters(parameter_names);
  if (spin_until_complete(future, timeout)) {
    auto descriptors = future.get();
    if (descriptors.size() == parameter_names.size()) {
      return descriptors;
    }
  }
  return {};
}

std::vector<rclcpp::ParameterType> SyncParametersClient::get_parameter_types(
  const std::vector<std::string> & parameter_names, std::chrono::nanoseconds timeout)
{
  auto future = async_parameters_client_->get_parameter_types(parameter_names);
  return spin_until_complete(future, timeout) ? future.get() : std::vector<rclcpp::ParameterType>();
}

std::vector<rcl_interfaces::msg::SetParametersResult> SyncParametersClient::set_parameters(
  const std::vector<rclcpp::Parameter> & parameters, std::chrono::nanoseconds timeout)
{
  auto future = async_parameters_client_->set_parameters(parameters);
  return spin_until_complete(future, timeout)
           ? future.get()
           : std::vector<rcl_interfaces::msg::SetParametersResult>();
}

rcl_interfaces::msg::SetParametersResult SyncParametersClient::set_parameters_atomically(
  const std::vector<rclcpp::Parameter> & parameters, std::chrono::nanoseconds timeout)
{
  auto future = async_parameters_client_->set_parameters_atomically(parameters);
  if (spin_until_complete(future, timeout)) {
    return future.get();
  }
  throw std::runtime_error("Unable to get result of set parameters service call.");
}

rcl_interfaces::msg::ListParametersResult SyncParametersClient::list_parameters(
  const std::vector<std::string> & parameter_prefixes, uint64_t depth,
  std::chrono::nanoseconds timeout)
{
  auto future = async_parameters_client_->list_parameters(parameter_prefixes, depth);
  if (spin_until_complete(future, timeout)) {
    return future.get();
  }
  throw std::runtime_error("Unable to get result of list parameters service call.");
}

}  // namespace rclcpp

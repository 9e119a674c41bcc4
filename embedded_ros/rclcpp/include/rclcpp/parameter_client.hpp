#ifndef RCLCPP__PARAMETER_CLIENT_HPP_
#define RCLCPP__PARAMETER_CLIENT_HPP_

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "rcl_interfaces/msg/list_parameters_result.hpp"
#include "rcl_interfaces/msg/parameter_descriptor.hpp"
#include "rcl_interfaces/msg/set_parameters_result.hpp"
#include "rcl_interfaces/srv/describe_parameters.hpp"
#include "rcl_interfaces/srv/get_parameter_types.hpp"
#include "rcl_interfaces/srv/get_parameters.hpp"
#include "rcl_interfaces/srv/list_parameters.hpp"
#include "rcl_interfaces/srv/set_parameters.hpp"
#include "rcl_interfaces/srv/set_parameters_atomically.hpp"
#include "rclcpp/client.hpp"
#include "rclcpp/executors.hpp"
#include "rclcpp/macros.hpp"
#include "rclcpp/node.hpp"
#include "rclcpp/parameter.hpp"
#include "rmw/qos_profiles.h"

namespace rclcpp
{

/// Calls the parameter services of a node (this process) asynchronously.
class AsyncParametersClient
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS(AsyncParametersClient)

  /// `remote_node_name` empty: the node's own parameters.
  AsyncParametersClient(
    const rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base_interface,
    const rclcpp::node_interfaces::NodeTopicsInterface::SharedPtr node_topics_interface,
    const rclcpp::node_interfaces::NodeGraphInterface::SharedPtr node_graph_interface,
    const rclcpp::node_interfaces::NodeServicesInterface::SharedPtr node_services_interface,
    const std::string & remote_node_name = "",
    const rmw_qos_profile_t & qos_profile = rmw_qos_profile_parameters,
    rclcpp::CallbackGroup::SharedPtr group = nullptr);

  template <typename NodeT>
  explicit AsyncParametersClient(
    const std::shared_ptr<NodeT> node, const std::string & remote_node_name = "",
    const rmw_qos_profile_t & qos_profile = rmw_qos_profile_parameters,
    rclcpp::CallbackGroup::SharedPtr group = nullptr)
  : AsyncParametersClient(
      node->get_node_base_interface(), node->get_node_topics_interface(),
      node->get_node_graph_interface(), node->get_node_services_interface(), remote_node_name,
      qos_profile, group)
  {
  }

  template <typename NodeT>
  explicit AsyncParametersClient(
    NodeT * node, const std::string & remote_node_name = "",
    const rmw_qos_profile_t & qos_profile = rmw_qos_profile_parameters,
    rclcpp::CallbackGroup::SharedPtr group = nullptr)
  : AsyncParametersClient(
      node->get_node_base_interface(), node->get_node_topics_interface(),
      node->get_node_graph_interface(), node->get_node_services_interface(), remote_node_name,
      qos_profile, group)
  {
  }

  std::shared_future<std::vector<rclcpp::Parameter>> get_parameters(
    const std::vector<std::string> & names,
    std::function<void(std::shared_future<std::vector<rclcpp::Parameter>>)> callback = nullptr);

  std::shared_future<std::vector<rcl_interfaces::msg::ParameterDescriptor>> describe_parameters(
    const std::vector<std::string> & names,
    std::function<void(std::shared_future<std::vector<rcl_interfaces::msg::ParameterDescriptor>>)>
      callback = nullptr);

  std::shared_future<std::vector<rclcpp::ParameterType>> get_parameter_types(
    const std::vector<std::string> & names,
    std::function<void(std::shared_future<std::vector<rclcpp::ParameterType>>)> callback = nullptr);

  std::shared_future<std::vector<rcl_interfaces::msg::SetParametersResult>> set_parameters(
    const std::vector<rclcpp::Parameter> & parameters,
    std::function<void(std::shared_future<std::vector<rcl_interfaces::msg::SetParametersResult>>)>
      callback = nullptr);

  std::shared_future<rcl_interfaces::msg::SetParametersResult> set_parameters_atomically(
    const std::vector<rclcpp::Parameter> & parameters,
    std::function<void(std::shared_future<rcl_interfaces::msg::SetParametersResult>)> callback =
      nullptr);

  std::shared_future<rcl_interfaces::msg::ListParametersResult> list_parameters(
    const std::vector<std::string> & prefixes, uint64_t depth,
    std::function<void(std::shared_future<rcl_interfaces::msg::ListParametersResult>)> callback =
      nullptr);

  bool service_is_ready() const;

  template <typename RepT = int64_t, typename RatioT = std::milli>
  bool wait_for_service(
    std::chrono::duration<RepT, RatioT> timeout = std::chrono::duration<RepT, RatioT>(-1))
  {
    return wait_for_service_nanoseconds(
      std::chrono::duration_cast<std::chrono::nanoseconds>(timeout));
  }

  const std::string & get_remote_node_name() const { return remote_node_name_; }

protected:
  bool wait_for_service_nanoseconds(std::chrono::nanoseconds timeout);

private:
  const rclcpp::node_interfaces::NodeTopicsInterface::SharedPtr node_topics_interface_;
  rclcpp::Client<rcl_interfaces::srv::GetParameters>::SharedPtr get_parameters_client_;
  rclcpp::Client<rcl_interfaces::srv::GetParameterTypes>::SharedPtr get_parameter_types_client_;
  rclcpp::Client<rcl_interfaces::srv::SetParameters>::SharedPtr set_parameters_client_;
  rclcpp::Client<rcl_interfaces::srv::SetParametersAtomically>::SharedPtr
    set_parameters_atomically_client_;
  rclcpp::Client<rcl_interfaces::srv::ListParameters>::SharedPtr list_parameters_client_;
  rclcpp::Client<rcl_interfaces::srv::DescribeParameters>::SharedPtr describe_parameters_client_;
  std::string remote_node_name_;
};

/// Calls the parameter services of a node and waits for the answers by spinning the given node
/// in its own executor; the node must not be spun by another executor meanwhile.
class SyncParametersClient
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS(SyncParametersClient)

  template <typename NodeT>
  explicit SyncParametersClient(
    std::shared_ptr<NodeT> node, const std::string & remote_node_name = "",
    const rmw_qos_profile_t & qos_profile = rmw_qos_profile_parameters)
  : SyncParametersClient(
      std::make_shared<rclcpp::executors::SingleThreadedExecutor>(), node, remote_node_name,
      qos_profile)
  {
  }

  template <typename NodeT>
  SyncParametersClient(
    rclcpp::Executor::SharedPtr executor, std::shared_ptr<NodeT> node,
    const std::string & remote_node_name = "",
    const rmw_qos_profile_t & qos_profile = rmw_qos_profile_parameters)
  : SyncParametersClient(
      executor, node->get_node_base_interface(), node->get_node_topics_interface(),
      node->get_node_graph_interface(), node->get_node_services_interface(), remote_node_name,
      qos_profile)
  {
  }

  template <typename NodeT>
  explicit SyncParametersClient(
    NodeT * node, const std::string & remote_node_name = "",
    const rmw_qos_profile_t & qos_profile = rmw_qos_profile_parameters)
  : SyncParametersClient(
      std::make_shared<rclcpp::executors::SingleThreadedExecutor>(), node, remote_node_name,
      qos_profile)
  {
  }

  template <typename NodeT>
  SyncParametersClient(
    rclcpp::Executor::SharedPtr executor, NodeT * node, const std::string & remote_node_name = "",
    const rmw_qos_profile_t & qos_profile = rmw_qos_profile_parameters)
  : SyncParametersClient(
      executor, node->get_node_base_interface(), node->get_node_topics_interface(),
      node->get_node_graph_interface(), node->get_node_services_interface(), remote_node_name,
      qos_profile)
  {
  }

  SyncParametersClient(
    rclcpp::Executor::SharedPtr executor,
    const rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base_interface,
    const rclcpp::node_interfaces::NodeTopicsInterface::SharedPtr node_topics_interface,
    const rclcpp::node_interfaces::NodeGraphInterface::SharedPtr node_graph_interface,
    const rclcpp::node_interfaces::NodeServicesInterface::SharedPtr node_services_interface,
    const std::string & remote_node_name = "",
    const rmw_qos_profile_t & qos_profile = rmw_qos_profile_parameters);

  /// Empty when the call failed or timed out.
  template <typename RepT = int64_t, typename RatioT = std::milli>
  std::vector<rclcpp::Parameter> get_parameters(
    const std::vector<std::string> & parameter_names,
    std::chrono::duration<RepT, RatioT> timeout = std::chrono::duration<RepT, RatioT>(-1))
  {
    return get_parameters(
      parameter_names, std::chrono::duration_cast<std::chrono::nanoseconds>(timeout));
  }

  bool has_parameter(const std::string & parameter_name);

  /// The parameter's value; throws std::runtime_error when the remote node lacks it.
  template <typename T>
  T get_parameter(const std::string & parameter_name)
  {
    return get_parameter_impl(
      parameter_name, std::function<T()>([&parameter_name]() -> T {
        throw std::runtime_error("Parameter '" + parameter_name + "' is not set");
      }));
  }

  template <typename T>
  T get_parameter(const std::string & parameter_name, const T & default_value)
  {
    return get_parameter_impl(
      parameter_name, std::function<T()>([&default_value]() -> T { return default_value; }));
  }

  template <typename RepT = int64_t, typename RatioT = std::milli>
  std::vector<rcl_interfaces::msg::ParameterDescriptor> describe_parameters(
    const std::vector<std::string> & parameter_names,
    std::chrono::duration<RepT, RatioT> timeout = std::chrono::duration<RepT, RatioT>(-1))
  {
    return describe_parameters(
      parameter_names, std::chrono::duration_cast<std::chrono::nanoseconds>(timeout));
  }

  template <typename RepT = int64_t, typename RatioT = std::milli>
  std::vector<rclcpp::ParameterType> get_parameter_types(
    const std::vector<std::string> & parameter_names,
    std::chrono::duration<RepT, RatioT> timeout = std::chrono::duration<RepT, RatioT>(-1))
  {
    return get_parameter_types(
      parameter_names, std::chrono::duration_cast<std::chrono::nanoseconds>(timeout));
  }

  /// Empty when the call failed or timed out.
  template <typename RepT = int64_t, typename RatioT = std::milli>
  std::vector<rcl_interfaces::msg::SetParametersResult> set_parameters(
    const std::vector<rclcpp::Parameter> & parameters,
    std::chrono::duration<RepT, RatioT> timeout = std::chrono::duration<RepT, RatioT>(-1))
  {
    return set_parameters(
      parameters, std::chrono::duration_cast<std::chrono::nanoseconds>(timeout));
  }

  /// Throws std::runtime_error("Unable to get result of set parameters service call.") when the
  /// call failed or timed out.
  template <typename RepT = int64_t, typename RatioT = std::milli>
  rcl_interfaces::msg::SetParametersResult set_parameters_atomically(
    const std::vector<rclcpp::Parameter> & parameters,
    std::chrono::duration<RepT, RatioT> timeout = std::chrono::duration<RepT, RatioT>(-1))
  {
    return set_parameters_atomically(
      parameters, std::chrono::duration_cast<std::chrono::nanoseconds>(timeout));
  }

  template <typename RepT = int64_t, typename RatioT = std::milli>
  rcl_interfaces::msg::ListParametersResult list_parameters(
    const std::vector<std::string> & parameter_prefixes, uint64_t depth,
    std::chrono::duration<RepT, RatioT> timeout = std::chrono::duration<RepT, RatioT>(-1))
  {
    return list_parameters(
      parameter_prefixes, depth, std::chrono::duration_cast<std::chrono::nanoseconds>(timeout));
  }

  bool service_is_ready() const { return async_parameters_client_->service_is_ready(); }

  template <typename RepT = int64_t, typename RatioT = std::milli>
  bool wait_for_service(
    std::chrono::duration<RepT, RatioT> timeout = std::chrono::duration<RepT, RatioT>(-1))
  {
    return async_parameters_client_->wait_for_service(timeout);
  }

protected:
  std::vector<rclcpp::Parameter> get_parameters(
    const std::vector<std::string> & parameter_names, std::chrono::nanoseconds timeout);
  std::vector<rcl_interfaces::msg::ParameterDescriptor> describe_parameters(
    const std::vector<std::string> & parameter_names, std::chrono::nanoseconds timeout);
  std::vector<rclcpp::ParameterType> get_parameter_types(
    const std::vector<std::string> & parameter_names, std::chrono::nanoseconds timeout);
  std::vector<rcl_interfaces::msg::SetParametersResult> set_parameters(
    const std::vector<rclcpp::Parameter> & parameters, std::chrono::nanoseconds timeout);
  rcl_interfaces::msg::SetParametersResult set_parameters_atomically(
    const std::vector<rclcpp::Parameter> & parameters, std::chrono::nanoseconds timeout);
  rcl_interfaces::msg::ListParametersResult list_parameters(
    const std::vector<std::string> & parameter_prefixes, uint64_t depth,
    std::chrono::nanoseconds timeout);

private:
  template <typename T>
  T get_parameter_impl(const std::string & parameter_name, std::function<T()> parameter_not_found)
  {
    std::vector<std::string> names;
    names.push_back(parameter_name);
    auto vars = get_parameters(names);
    if ((vars.size() != 1) || (vars[0].get_type() == rclcpp::ParameterType::PARAMETER_NOT_SET)) {
      return parameter_not_found();
    }
    return static_cast<T>(vars[0].get_value<T>());
  }

  /// Spins the client's node until the future completes; false on time-out or shutdown.
  template <typename FutureT>
  bool spin_until_complete(const FutureT & future, std::chrono::nanoseconds timeout)
  {
    return rclcpp::executors::spin_node_until_future_complete(
             *executor_, node_base_interface_, future, timeout) ==
           rclcpp::FutureReturnCode::SUCCESS;
  }

  rclcpp::Executor::SharedPtr executor_;
  const rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base_interface_;
  AsyncParametersClient::SharedPtr async_parameters_client_;
};

}  // namespace rclcpp

#endif  // RCLCPP__PARAMETER_CLIENT_HPP_

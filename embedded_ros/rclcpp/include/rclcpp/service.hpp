#ifndef RCLCPP__SERVICE_HPP_
#define RCLCPP__SERVICE_HPP_

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "rclcpp/detail/service_queue.hpp"
#include "rclcpp/macros.hpp"
#include "rclcpp/qos.hpp"
#include "rmw/types.h"
#include "rosidl_runtime_c/service_type_support_struct.h"
#include "rosidl_runtime_cpp/traits.hpp"
#include "rosidl_typesupport_introspection_cpp/service_type_support_decl.hpp"

namespace rclcpp
{

class CallbackGroup;

namespace node_interfaces
{
class NodeBaseInterface;
}  // namespace node_interfaces

/// The type-independent part of a service server: its endpoint and its inbox of requests.
class ServiceBase
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS_NOT_COPYABLE(ServiceBase)

  /// `type_support` is the service type's C++ introspection type support, with which requests
  /// and responses travel over DDS; without it the server stays in this process.
  ServiceBase(
    rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & service_name,
    const std::string & type_name, const rclcpp::QoS & qos,
    const rosidl_service_type_support_t * type_support = nullptr);
  virtual ~ServiceBase();

  const char * get_service_name();
  bool exchange_in_use_by_wait_set_state(bool in_use_state);

  bool has_request() const;
  /// Removes the oldest waiting request; false when none.
  bool take_type_erased_request(detail::ServiceMessage & request);
  /// Runs the user callback for a request taken from the inbox and sends the response.
  virtual void handle_request(
    std::shared_ptr<rmw_request_id_t> request_header, std::shared_ptr<void> request) = 0;

  void attach_to_callback_group(std::weak_ptr<rclcpp::CallbackGroup> group);
  /// For an entity inside a waitable: arriving work triggers the waitable's guard condition.
  void attach_to_guard_condition(std::weak_ptr<rclcpp::GuardCondition> guard_condition);

protected:
  /// Sends a response to the client named by the header; a client that is gone is skipped.
  void send_type_erased_response(
    const rmw_request_id_t & request_header, std::shared_ptr<void> response);

private:
  RCLCPP_DISABLE_COPY(ServiceBase)

  std::string service_name_;
  std::shared_ptr<detail::ServiceQueue> inbox_;
  uint64_t id_;
  std::atomic<bool> in_use_by_wait_set_{false};
};

/// A service server: answers each request with its callback, in the executor serving its group.
template <typename ServiceT>
class Service : public ServiceBase, public std::enable_shared_from_this<Service<ServiceT>>
{
public:
  using Request = typename ServiceT::Request;
  using Response = typename ServiceT::Response;
  using CallbackType =
    std::function<void(const std::shared_ptr<Request>, std::shared_ptr<Response>)>;
  using CallbackWithHeaderType = std::function<void(
    const std::shared_ptr<rmw_request_id_t>, const std::shared_ptr<Request>,
    std::shared_ptr<Response>)>;
  RCLCPP_SMART_PTR_DEFINITIONS(Service)

  Service(
    rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & service_name,
    CallbackWithHeaderType callback, const rclcpp::QoS & qos)
  : ServiceBase(
      node_base, service_name, rosidl_generator_traits::name<ServiceT>(), qos,
      rosidl_typesupport_introspection_cpp::get_service_type_support_handle<ServiceT>()),
    callback_(std::move(callback))
  {
  }

  /// Adapts a callback taking (request, response) or (header, request, response).
  template <typename CallbackT>
  static CallbackWithHeaderType adapt_callback(CallbackT && callback)
  {
    using Callback = std::decay_t<CallbackT>;
    auto shared = std::make_shared<Callback>(std::forward<CallbackT>(callback));
    if constexpr (std::is_invocable_v<
                    Callback &, std::shared_ptr<rmw_request_id_t>, std::shared_ptr<Request>,
                    std::shared_ptr<Response>>) {
      return [shared](auto header, auto request, auto response) {
        (*shared)(header, request, response);
      };
    } else {
      static_assert(
        std::is_invocable_v<Callback &, std::shared_ptr<Request>, std::shared_ptr<Response>>,
        "service callback must take (request, response) or (header, request, "
        "response) shared pointers");
      return [shared](auto, auto request, auto response) { (*shared)(request, response); };
    }
  }

  void handle_request(
    std::shared_ptr<rmw_request_id_t> request_header, std::shared_ptr<void> request) override
  {
    auto response = std::make_shared<Response>();
    callback_(request_header, std::static_pointer_cast<Request>(request), response);
    send_type_erased_response(*request_header, response);
  }

  void send_response(rmw_request_id_t & req_id, Response & response)
  {
    send_type_erased_response(req_id, std::make_shared<Response>(response));
  }

private:
  CallbackWithHeaderType callback_;
};

}  // namespace rclcpp

#endif  // RCLCPP__SERVICE_HPP_

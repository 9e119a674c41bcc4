#include "rclcpp/service.hpp"

#include <utility>

#include "rclcpp/detail/context_check.hpp"
#include "rclcpp/detail/domain.hpp"
#include "rclcpp/node_interfaces/node_base_interface.hpp"

namespace rclcpp
{

ServiceBase::ServiceBase(
  rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & service_name,
  const std::string & type_name, const rclcpp::QoS & qos,
  const rosidl_service_type_support_t * type_support)
: service_name_(node_base->resolve_topic_or_service_name(service_name, true)),
  inbox_(std::make_shared<detail::ServiceQueue>())
{
  detail::check_node_context_valid(*node_base, "could not create service");
  detail::EndpointInfo info;
  info.name = service_name_;
  info.type = type_name;
  info.qos = qos.get_rmw_qos_profile();
  info.node_id = reinterpret_cast<uintptr_t>(node_base);
  info.service_type_support = type_support;
  id_ = detail::Domain::global().add_service(info, inbox_);
}

ServiceBase::~ServiceBase() { detail::Domain::global().remove_service(id_); }

const char * ServiceBase::get_service_name() { return service_name_.c_str(); }

bool ServiceBase::exchange_in_use_by_wait_set_state(bool in_use_state)
{
  return in_use_by_wait_set_.exchange(in_use_state);
}

bool ServiceBase::has_request() const { return !inbox_->empty(); }

bool ServiceBase::take_type_erased_request(detail::ServiceMessage & request)
{
  return inbox_->pop(request);
}

void ServiceBase::attach_to_callback_group(std::weak_ptr<rclcpp::CallbackGroup> group)
{
  inbox_->notifier().attach(std::move(group));
  inbox_->notifier().notify();
}

void ServiceBase::attach_to_guard_condition(std::weak_ptr<rclcpp::GuardCondition> guard_condition)
{
  inbox_->notifier().attach(std::move(guard_condition));
  inbox_->notifier().notify();
}

void ServiceBase::send_type_erased_response(
  const rmw_request_id_t & request_header, std::shared_ptr<void> response)
{
  detail::Domain::global().send_response(id_, request_header, std::move(response));
}

}  // namespace rclcpp

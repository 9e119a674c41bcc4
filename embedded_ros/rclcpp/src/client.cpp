#include "rclcpp/client.hpp"

#include <utility>

#include "rclcpp/detail/context_check.hpp"
#include "rclcpp/detail/domain.hpp"
#include "rclcpp/node_interfaces/node_base_interface.hpp"

namespace rclcpp
{

ClientBase::ClientBase(
  rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & service_name,
  const std::string & type_name, const rclcpp::QoS & qos,
  const rosidl_service_type_support_t * type_support)
: service_name_(node_base->resolve_topic_or_service_name(service_name, true)),
  context_(node_base->get_context()),
  inbox_(std::make_shared<detail::ServiceQueue>())
{
  detail::check_node_context_valid(*node_base, "could not create client");
  detail::EndpointInfo info;
  info.name = service_name_;
  info.type = type_name;
  info.qos = qos.get_rmw_qos_profile();
  info.node_id = reinterpret_cast<uintptr_t>(node_base);
  info.service_type_support = type_support;
  id_ = detail::Domain::global().add_client(info, inbox_);
}

ClientBase::~ClientBase() { detail::Domain::global().remove_client(id_); }

const char * ClientBase::get_service_name() const { return service_name_.c_str(); }

bool ClientBase::service_is_ready() const
{
  return detail::Domain::global().service_is_available(id_);
}

bool ClientBase::wait_for_service_nanoseconds(std::chrono::nanoseconds timeout)
{
  auto & domain = detail::Domain::global();
  const auto deadline = timeout < std::chrono::nanoseconds::zero()
                          ? std::chrono::steady_clock::time_point::max()
                          : std::chrono::steady_clock::now() + timeout;
  uint64_t version = domain.graph_version();
  while (true) {
    if (!context_->is_valid()) {
      return false;
    }
    if (service_is_ready()) {
      return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    version = domain.wait_for_graph_change(version, deadline);
  }
}

bool ClientBase::exchange_in_use_by_wait_set_state(bool in_use_state)
{
  return in_use_by_wait_set_.exchange(in_use_state);
}

bool ClientBase::has_response() const { return !inbox_->empty(); }

bool ClientBase::take_type_erased_response(detail::ServiceMessage & response)
{
  return inbox_->pop(response);
}

void ClientBase::attach_to_callback_group(std::weak_ptr<rclcpp::CallbackGroup> group)
{
  inbox_->notifier().attach(std::move(group));
  inbox_->notifier().notify();
}

void ClientBase::attach_to_guard_condition(std::weak_ptr<rclcpp::GuardCondition> guard_condition)
{
  inbox_->notifier().attach(std::move(guard_condition));
  inbox_->notifier().notify();
}

int64_t ClientBase::send_type_erased_request(std::shared_ptr<void> request)
{
  const int64_t sequence_number = next_sequence_number_++;
  detail::Domain::global().send_request(id_, sequence_number, std::move(request));
  return sequence_number;
}

}  // namespace rclcpp

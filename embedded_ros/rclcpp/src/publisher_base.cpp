#include "rclcpp/publisher_base.hpp"

#include <utility>

#include "rclcpp/detail/context_check.hpp"
#include "rclcpp/detail/domain.hpp"
#include "rclcpp/node_interfaces/node_base_interface.hpp"

namespace rclcpp
{

PublisherBase::PublisherBase(
  rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & topic,
  const std::string & type_name, const rclcpp::QoS & qos,
  const rosidl_message_type_support_t * type_support)
: topic_name_(node_base->resolve_topic_or_service_name(topic, false)), qos_(qos)
{
  detail::check_node_context_valid(*node_base, "could not create publisher");
  detail::EndpointInfo info;
  info.name = topic_name_;
  info.type = type_name;
  info.qos = qos.get_rmw_qos_profile();
  info.node_id = reinterpret_cast<uintptr_t>(node_base);
  info.type_support = type_support;
  id_ = detail::Domain::global().add_publisher(info);
}

PublisherBase::~PublisherBase() { detail::Domain::global().remove_publisher(id_); }

const char * PublisherBase::get_topic_name() const { return topic_name_.c_str(); }

size_t PublisherBase::get_queue_size() const { return qos_.depth(); }

size_t PublisherBase::get_subscription_count() const
{
  return detail::Domain::global().matched_subscriptions(id_);
}

size_t PublisherBase::get_intra_process_subscription_count() const
{
  return get_subscription_count();
}

rclcpp::QoS PublisherBase::get_actual_qos() const { return qos_; }

void PublisherBase::do_publish(std::shared_ptr<const void> message)
{
  detail::Domain::global().publish(id_, std::move(message));
}

}  // namespace rclcpp

#include "rclcpp/node_interfaces/node_graph.hpp"

#include "rclcpp/detail/domain.hpp"

namespace rclcpp
{
namespace node_interfaces
{

NodeGraph::NodeGraph(rclcpp::node_interfaces::NodeBaseInterface * node_base) : node_base_(node_base)
{
}

std::map<std::string, std::vector<std::string>> NodeGraph::get_topic_names_and_types(
  bool /*no_demangle*/) const
{
  return rclcpp::detail::Domain::global().topic_names_and_types();
}

std::map<std::string, std::vector<std::string>> NodeGraph::get_service_names_and_types() const
{
  return rclcpp::detail::Domain::global().service_names_and_types();
}

std::vector<std::string> NodeGraph::get_node_names() const
{
  return rclcpp::detail::Domain::global().node_names();
}

size_t NodeGraph::count_publishers(const std::string & topic_name) const
{
  return rclcpp::detail::Domain::global().count_publishers(
    node_base_->resolve_topic_or_service_name(topic_name, false));
}

size_t NodeGraph::count_subscribers(const std::string & topic_name) const
{
  return rclcpp::detail::Domain::global().count_subscriptions(
    node_base_->resolve_topic_or_service_name(topic_name, false));
}

}  // namespace node_interfaces
}  // namespace rclcpp

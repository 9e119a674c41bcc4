#include "rclcpp/node_interfaces/node_logging.hpp"

#include <algorithm>
#include <string>

namespace rclcpp
{
namespace node_interfaces
{

namespace
{

/// rcl's logger name of a node: the namespace without the leading '/', '/' replaced by '.',
/// then the node name ("/ns/sub" + "talker" -> "ns.sub.talker").
std::string logger_name_of(const std::string & node_namespace, const std::string & node_name)
{
  std::string prefix = node_namespace.size() > 1 ? node_namespace.substr(1) : "";
  std::replace(prefix.begin(), prefix.end(), '/', '.');
  return prefix.empty() ? node_name : prefix + "." + node_name;
}

}  // namespace

NodeLogging::NodeLogging(rclcpp::node_interfaces::NodeBaseInterface * node_base)
: logger_(rclcpp::get_logger(logger_name_of(node_base->get_namespace(), node_base->get_name())))
{
}

rclcpp::Logger NodeLogging::get_logger() const { return logger_; }

const char * NodeLogging::get_logger_name() const { return logger_.get_name(); }

}  // namespace node_interfaces
}  // namespace rclcpp

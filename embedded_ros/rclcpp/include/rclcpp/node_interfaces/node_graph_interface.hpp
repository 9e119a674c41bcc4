#ifndef RCLCPP__NODE_INTERFACES__NODE_GRAPH_INTERFACE_HPP_
#define RCLCPP__NODE_INTERFACES__NODE_GRAPH_INTERFACE_HPP_

#include <map>
#include <string>
#include <vector>

#include "rclcpp/macros.hpp"

namespace rclcpp
{
namespace node_interfaces
{

/// What the node can see of the process's communication graph.
class NodeGraphInterface
{
public:
  RCLCPP_SMART_PTR_ALIASES_ONLY(NodeGraphInterface)

  virtual ~NodeGraphInterface() = default;
  virtual std::map<std::string, std::vector<std::string>> get_topic_names_and_types(
    bool no_demangle = false) const = 0;
  virtual std::map<std::string, std::vector<std::string>> get_service_names_and_types() const = 0;
  virtual std::vector<std::string> get_node_names() const = 0;
  virtual size_t count_publishers(const std::string & topic_name) const = 0;
  virtual size_t count_subscribers(const std::string & topic_name) const = 0;
};

}  // namespace node_interfaces
}  // namespace rclcpp

#endif  // RCLCPP__NODE_INTERFACES__NODE_GRAPH_INTERFACE_HPP_

#ifndef DETAIL__NAME_VALIDATION_HPP_
#define DETAIL__NAME_VALIDATION_HPP_

#include <string>

namespace rclcpp
{
namespace detail
{

/// Throws rclcpp::exceptions::InvalidNodeNameError when `node_name` is not a valid node name.
void validate_node_name(const std::string & node_name);

/// "" -> "/", "ns" -> "/ns"; throws rclcpp::exceptions::InvalidNamespaceError when invalid.
std::string normalize_namespace(const std::string & node_namespace);

/// Expands `name` ('~', relative, {node}/{ns} substitutions) to a fully qualified name and
/// validates it; throws InvalidTopicNameError, or InvalidServiceNameError when `is_service`.
std::string expand_topic_or_service_name(
  const std::string & name, const std::string & node_name, const std::string & node_namespace,
  bool is_service);

/// "/ns" + "node" -> "/ns/node", "/" + "node" -> "/node".
std::string fully_qualified_name(const std::string & node_namespace, const std::string & node_name);

}  // namespace detail
}  // namespace rclcpp

#endif  // DETAIL__NAME_VALIDATION_HPP_

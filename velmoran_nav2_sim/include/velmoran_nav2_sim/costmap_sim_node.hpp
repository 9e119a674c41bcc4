#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <rclcpp/rclcpp.hpp>

namespace velmoran_nav2_sim
{

/// A costmap node without sensors: it holds the "<layer>.enabled" switches of its layers as
/// parameters, at the node names the elevator jobs address ("/local_costmap/local_costmap",
/// "/global_costmap/global_costmap"). Its switches are declared bool parameters, so requests
/// for other parameters or with other types are refused, as by a costmap node.
class CostmapSimNode
{
public:
  /// `name` is "local_costmap" or "global_costmap"; the node lives in the namespace of that name.
  explicit CostmapSimNode(const std::string & name);

  rclcpp::Node::SharedPtr node() const { return node_; }

  /// The layer switch "<layer>.enabled".
  bool enabled(const std::string & layer) const;
  /// Accepted changes so far, as "<parameter>=<true|false>" in order.
  std::vector<std::string> changes() const;

  /// The layers of each node and their switches at start.
  static std::map<std::string, bool> defaultLayers(const std::string & name);

private:
  rcl_interfaces::msg::SetParametersResult onSet(const std::vector<rclcpp::Parameter> & parameters);

  rclcpp::Node::SharedPtr node_;
  rclcpp::node_interfaces::OnSetParametersCallbackHandle::SharedPtr on_set_;
  mutable std::mutex mutex_;
  std::vector<std::string> changes_;
};

}  // namespace velmoran_nav2_sim

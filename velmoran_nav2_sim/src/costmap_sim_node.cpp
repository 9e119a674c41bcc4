#include "velmoran_nav2_sim/costmap_sim_node.hpp"

#include <stdexcept>
#include <utility>

namespace velmoran_nav2_sim
{

namespace
{
constexpr const char * kEnabledSuffix = ".enabled";
}  // namespace

std::map<std::string, bool> CostmapSimNode::defaultLayers(const std::string & name)
{
  if (name == "local_costmap") {
    return {
      {"top_laser_layer", true},
      {"lift_top_laser_layer", false},
      {"foot_laser_layer", true},
      {"cached_foot_laser_layer", true}};
  }
  if (name == "global_costmap") {
    return {{"foot_laser_layer", true}, {"cached_foot_laser_layer", true}};
  }
  throw std::invalid_argument(
    "CostmapSimNode: unknown costmap [" + name + "], expected local_costmap or global_costmap");
}

CostmapSimNode::CostmapSimNode(const std::string & name)
: node_(std::make_shared<rclcpp::Node>(name, "/" + name))
{
  for (const auto & [layer, enabled] : defaultLayers(name)) {
    node_->declare_parameter(layer + kEnabledSuffix, enabled);
  }
  on_set_ = node_->add_on_set_parameters_callback(
    [this](const std::vector<rclcpp::Parameter> & parameters) { return onSet(parameters); });
}

bool CostmapSimNode::enabled(const std::string & layer) const
{
  return node_->get_parameter(layer + kEnabledSuffix).as_bool();
}

std::vector<std::string> CostmapSimNode::changes() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return changes_;
}

rcl_interfaces::msg::SetParametersResult CostmapSimNode::onSet(
  const std::vector<rclcpp::Parameter> & parameters)
{
  // The parameters are declared with their types, so only the node's own bool switches get here.
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto & parameter : parameters) {
    changes_.push_back(parameter.get_name() + "=" + (parameter.as_bool() ? "true" : "false"));
    RCLCPP_INFO(
      node_->get_logger(), "%s %s", parameter.get_name().c_str(),
      parameter.as_bool() ? "on" : "off");
  }
  rcl_interfaces::msg::SetParametersResult result;
  result.successful = true;
  return result;
}

}  // namespace velmoran_nav2_sim

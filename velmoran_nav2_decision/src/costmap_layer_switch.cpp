#include "costmap_layer_switch.hpp"

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "logging/logger.hpp"

namespace bt_navigator
{

namespace
{

constexpr int kParameterRequestRefusedError = 101100014;
constexpr std::chrono::seconds kServiceWait{1};

struct LayerParameter
{
  const char * name;
  bool enabled_for_lift_ride;
};

struct CostmapNode
{
  const char * name;
  std::vector<LayerParameter> parameters;
};

const std::vector<CostmapNode> & costmapNodes()
{
  static const std::vector<CostmapNode> nodes{
    {"/local_costmap/local_costmap",
     {{"top_laser_layer.enabled", false},
      {"lift_top_laser_layer.enabled", true},
      {"foot_laser_layer.enabled", false},
      {"cached_foot_laser_layer.enabled", false}}},
    {"/global_costmap/global_costmap",
     {{"foot_laser_layer.enabled", false}, {"cached_foot_laser_layer.enabled", false}}},
  };
  return nodes;
}

/// False when the node's parameter service is not there.
bool switchNode(
  const rclcpp::Node::SharedPtr & node, const CostmapNode & costmap, CostmapLayers layers)
{
  rclcpp::SyncParametersClient client(node, costmap.name);
  if (!client.wait_for_service(kServiceWait)) {
    LOG_INFO("server: {}/set_parameters not exist", costmap.name);
    return false;
  }
  std::vector<rclcpp::Parameter> parameters;
  for (const auto & parameter : costmap.parameters) {
    const bool lift_ride = layers == CostmapLayers::kLiftRide;
    parameters.emplace_back(parameter.name, parameter.enabled_for_lift_ride == lift_ride);
  }
  const char * action = layers == CostmapLayers::kLiftRide ? "set" : "reset";
  if (client.set_parameters_atomically(parameters).successful) {
    LOG_INFO("{} {} successfully!", costmap.name, action);
  } else {
    LOG_ERROR(
      "{} {} failed, error code is {}", costmap.name, action, kParameterRequestRefusedError);
  }
  return true;
}

}  // namespace

void switchCostmapLayers(const rclcpp::Node::SharedPtr & node, CostmapLayers layers)
{
  if (!node) {
    throw std::invalid_argument("switching costmap layers needs a node, got none");
  }
  for (const auto & costmap : costmapNodes()) {
    if (!switchNode(node, costmap, layers)) {
      return;
    }
  }
}

}  // namespace bt_navigator

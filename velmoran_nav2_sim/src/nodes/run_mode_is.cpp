#include "velmoran_nav2_sim/nodes/run_mode_is.hpp"

#include <algorithm>
#include <vector>

#include <behaviortree_cpp_v3/basic_types.h>
#include <behaviortree_cpp_v3/exceptions.h>

namespace velmoran_nav2_sim
{

RunModeIs::RunModeIs(const std::string & name, const BT::NodeConfiguration & config)
: BT::ConditionNode(name, config)
{
}

BT::PortsList RunModeIs::providedPorts()
{
  return {
    BT::InputPort<int>("run_mode", "the goal's run mode"),
    BT::InputPort<std::string>("modes", "run modes that match, e.g. \"1;201;601\"")};
}

BT::NodeStatus RunModeIs::tick()
{
  int run_mode = 0;
  if (!getInput("run_mode", run_mode)) {
    return BT::NodeStatus::FAILURE;
  }
  const BT::Optional<std::string> modes = getInput<std::string>("modes");
  if (!modes) {
    throw BT::RuntimeError("RunModeIs [", name(), "]: ", modes.error());
  }
  std::vector<int> matching;
  for (const auto & part : BT::splitString(*modes, ';')) {
    matching.push_back(BT::convertFromString<int>(part));
  }
  const bool match = std::find(matching.begin(), matching.end(), run_mode) != matching.end();
  return match ? BT::NodeStatus::SUCCESS : BT::NodeStatus::FAILURE;
}

}  // namespace velmoran_nav2_sim

#include "velmoran_nav2_sim/nodes/inject_fault.hpp"

#include <std_msgs/msg/int32.hpp>

#include "blackboard_keys.hpp"
#include "velmoran_nav2_sim/sim_world.hpp"

namespace velmoran_nav2_sim
{

namespace keys = bt_navigator::keys;

InjectFault::InjectFault(const std::string & name, const BT::NodeConfiguration & config)
: BT::StatefulActionNode(name, config)
{
}

BT::PortsList InjectFault::providedPorts()
{
  return {
    BT::InputPort<std_msgs::msg::Int32>("action_id", "the job's action id"),
    BT::OutputPort<double>("speed_scale", "fraction of the speed the job drives at")};
}

BT::NodeStatus InjectFault::onStart()
{
  setOutput("speed_scale", 1.0);
  std_msgs::msg::Int32 action_id;
  if (!getInput("action_id", action_id)) {
    return BT::NodeStatus::SUCCESS;
  }
  SimWorld & world = SimWorld::instance();
  if (world.takeForcedFailure(action_id.data)) {
    keys::set(*config().blackboard, keys::kAlwaysFailure, true);
    return BT::NodeStatus::RUNNING;
  }
  if (const auto fault = world.faultFor(action_id.data);
      fault && fault->kind == Fault::Kind::kSlow) {
    setOutput("speed_scale", fault->speed_scale);
  }
  return BT::NodeStatus::SUCCESS;
}

BT::NodeStatus InjectFault::onRunning() { return BT::NodeStatus::RUNNING; }

void InjectFault::onHalted() {}

}  // namespace velmoran_nav2_sim

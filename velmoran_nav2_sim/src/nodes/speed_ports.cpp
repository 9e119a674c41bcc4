#include "velmoran_nav2_sim/nodes/speed_ports.hpp"

namespace velmoran_nav2_sim
{

BT::PortsList speedPorts()
{
  return {
    BT::InputPort<float>("max_speed", "the job's speed limit, m/s"),
    BT::InputPort<double>("default_speed", 0.5, "m/s when the job gives no limit"),
    BT::InputPort<double>("speed_scale", 1.0, "fraction of the speed to drive at")};
}

double commandedSpeed(const BT::TreeNode & node)
{
  float max_speed = 0.0F;
  double speed = node.getInput<double>("default_speed").value();
  if (node.getInput("max_speed", max_speed) && max_speed > 0.0F) {
    speed = max_speed;
  }
  double scale = 1.0;
  node.getInput("speed_scale", scale);
  return speed * scale;
}

}  // namespace velmoran_nav2_sim

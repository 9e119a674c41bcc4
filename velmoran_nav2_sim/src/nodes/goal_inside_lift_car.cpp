#include "velmoran_nav2_sim/nodes/goal_inside_lift_car.hpp"

#include <fmt/format.h>
#include <geometry_msgs/msg/polygon.hpp>

#include "blackboard_keys.hpp"
#include "velmoran_nav2_sim/msg_conversions.hpp"
#include "velmoran_nav2_sim/sim_world.hpp"

namespace velmoran_nav2_sim
{

namespace keys = bt_navigator::keys;

GoalInsideLiftCar::GoalInsideLiftCar(const std::string & name, const BT::NodeConfiguration & config)
: BT::ConditionNode(name, config)
{
}

BT::PortsList GoalInsideLiftCar::providedPorts()
{
  return {
    BT::InputPort<keys::PosePath>("goal_poses", "the pose inside the car"),
    BT::InputPort<geometry_msgs::msg::Polygon>("lift_inner_frame", "outline of the car")};
}

BT::NodeStatus GoalInsideLiftCar::tick()
{
  keys::PosePath goal_poses;
  if (!getInput("goal_poses", goal_poses) || goal_poses.empty()) {
    return BT::NodeStatus::FAILURE;
  }
  geometry_msgs::msg::Polygon car;
  if (!getInput("lift_inner_frame", car) || car.points.size() < 3) {
    return BT::NodeStatus::SUCCESS;
  }
  const Pose2D goal = toPose2D(goal_poses.front());
  if (contains(toPolygon2D(car), {goal.x, goal.y})) {
    return BT::NodeStatus::SUCCESS;
  }
  SimWorld::report(
    fmt::format("{}: goal ({:.2f}, {:.2f}) lies outside the elevator car", name(), goal.x, goal.y));
  return BT::NodeStatus::FAILURE;
}

}  // namespace velmoran_nav2_sim

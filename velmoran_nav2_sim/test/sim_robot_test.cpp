// The simulated robot: motion at the commanded speed in simulated time, its transform, its stop
// on a zero velocity; and the costmap nodes' layer switches.
#include <cmath>
#include <future>
#include <stdexcept>

#include <gtest/gtest.h>
#include <geometry_msgs/msg/twist.hpp>
#include <tf2_msgs/msg/tf_message.hpp>

#include "sim_test_support.hpp"
#include "velmoran_nav2_sim/costmap_sim_node.hpp"

namespace velmoran_nav2_sim::test
{
namespace
{

constexpr std::chrono::seconds kWait{10};

TEST(SimRobot, DrivesTheWaypointsAtTheCommandedSpeedInSimulatedTime)
{
  RobotFixture fixture(20.0);
  SimRobot & robot = fixture.robot();
  robot.setTag(7);
  robot.drive({{2.0, 0.0, 0.0}, {2.0, 1.0, M_PI / 2}}, 0.5, MobileBase::Heading::kAlongPath);
  ASSERT_TRUE(robot.waitFor([&]() { return robot.status().reached; }, kWait));
  const Pose2D pose = robot.pose();
  EXPECT_DOUBLE_EQ(pose.x, 2.0);
  EXPECT_DOUBLE_EQ(pose.y, 1.0);
  EXPECT_DOUBLE_EQ(pose.yaw, M_PI / 2);
  // The corner is taken without slowing down.
  EXPECT_NEAR(
    speedUnderWay(
      robot.trajectory(), [](const Pose2D & p) { return p.x > 0.0 && (p.x < 2.0 || p.y < 1.0); }),
    0.5, 1e-6);
  EXPECT_NEAR(robot.distanceDriven(7), 3.0, 1e-9);
  EXPECT_EQ(robot.status().waypoints_reached, 2U);
}

TEST(SimRobot, RefusesWaypointsOutsideTheWorldAndKeepsItsPose)
{
  RobotFixture fixture(20.0, {1.0, 2.0, 0.0});
  SimRobot & robot = fixture.robot();
  const struct
  {
    const char * what;
    Pose2D waypoint;
    double speed;
  } cases[] = {
    {"outside the world", {0.0, -1.5 * kWorldLimit, 0.0}, 0.5},
    {"x not a number", {NAN, 0.0, 0.0}, 0.5},
    {"infinite y", {0.0, INFINITY, 0.0}, 0.5},
    {"yaw not a number", {0.0, 0.0, NAN}, 0.5},
    {"infinite speed", {3.0, 0.0, 0.0}, INFINITY},
  };
  for (const auto & bad : cases) {
    EXPECT_THROW(
      robot.drive({{1.0, 3.0, 0.0}, bad.waypoint}, bad.speed, MobileBase::Heading::kAlongPath),
      std::invalid_argument)
      << bad.what;
  }
  EXPECT_FALSE(robot.status().active);
  EXPECT_EQ(robot.status().command, 0U);
  EXPECT_DOUBLE_EQ(robot.pose().x, 1.0);
  EXPECT_DOUBLE_EQ(robot.pose().y, 2.0);
}

TEST(SimRobot, PublishesItsPoseAsTheMapToBaseTransform)
{
  RobotFixture fixture(10.0, {1.0, 2.0, 0.0});
  auto node = std::make_shared<rclcpp::Node>("tf_probe");
  std::promise<geometry_msgs::msg::TransformStamped> seen;
  bool done = false;
  auto subscription = node->create_subscription<tf2_msgs::msg::TFMessage>(
    "/tf", rclcpp::QoS(10), [&](tf2_msgs::msg::TFMessage::ConstSharedPtr message) {
      if (!done && !message->transforms.empty()) {
        done = true;
        seen.set_value(message->transforms.front());
      }
    });
  fixture.spin(node);
  auto future = seen.get_future();
  ASSERT_EQ(future.wait_for(kWait), std::future_status::ready);
  const auto transform = future.get();
  EXPECT_EQ(transform.header.frame_id, "map");
  EXPECT_EQ(transform.child_frame_id, "base_footprint");
  EXPECT_DOUBLE_EQ(transform.transform.translation.x, 1.0);
  EXPECT_DOUBLE_EQ(transform.transform.translation.y, 2.0);
}

TEST(SimRobot, StopsOnAZeroVelocityAndIgnoresOtherVelocities)
{
  RobotFixture fixture(1.0);
  SimRobot & robot = fixture.robot();
  auto node = std::make_shared<rclcpp::Node>("cmd_vel_probe");
  auto publisher =
    node->create_publisher<geometry_msgs::msg::Twist>("cmd_vel", rclcpp::SystemDefaultsQoS());
  fixture.spin(node);
  robot.drive({{100.0, 0.0, 0.0}}, 1.0, MobileBase::Heading::kAlongPath);
  geometry_msgs::msg::Twist moving;
  moving.linear.x = 0.3;
  publisher->publish(moving);
  publisher->publish(geometry_msgs::msg::Twist());
  ASSERT_TRUE(robot.waitFor([&]() { return robot.stopCommands() == 1; }, kWait));
  EXPECT_FALSE(robot.status().active);
  EXPECT_FALSE(robot.status().reached);
  EXPECT_LT(robot.pose().x, 100.0);
}

TEST(CostmapSimNode, AcceptsItsLayerSwitchesAndRefusesAnythingElse)
{
  CostmapSimNode local("local_costmap");
  EXPECT_STREQ(local.node()->get_fully_qualified_name(), "/local_costmap/local_costmap");
  EXPECT_TRUE(local.enabled("top_laser_layer"));
  EXPECT_FALSE(local.enabled("lift_top_laser_layer"));

  auto results = local.node()->set_parameters_atomically(
    {rclcpp::Parameter("top_laser_layer.enabled", false),
     rclcpp::Parameter("lift_top_laser_layer.enabled", true)});
  EXPECT_TRUE(results.successful);
  EXPECT_FALSE(local.enabled("top_laser_layer"));
  EXPECT_TRUE(local.enabled("lift_top_laser_layer"));
  EXPECT_EQ(
    local.changes(), (std::vector<std::string>{
                       "top_laser_layer.enabled=false", "lift_top_laser_layer.enabled=true"}));

  CostmapSimNode global("global_costmap");
  EXPECT_THROW(
    global.node()->set_parameters_atomically({rclcpp::Parameter("top_laser_layer.enabled", false)}),
    rclcpp::exceptions::ParameterNotDeclaredException);
  EXPECT_FALSE(global.node()
                 ->set_parameters_atomically({rclcpp::Parameter("foot_laser_layer.enabled", 1)})
                 .successful);
  EXPECT_TRUE(global.enabled("foot_laser_layer"));
  EXPECT_TRUE(global.changes().empty());
  EXPECT_THROW(CostmapSimNode("other_costmap"), std::invalid_argument);
}

}  // namespace
}  // namespace velmoran_nav2_sim::test

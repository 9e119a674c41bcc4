// The simulated tree nodes, loaded from their plug-in library and ticked like the engine does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "blackboard_keys.hpp"
#include "sim_test_support.hpp"
#include "velmoran_nav2_sim/msg_conversions.hpp"
#include "velmoran_nav2_sim/sim_world.hpp"

namespace velmoran_nav2_sim::test
{
namespace
{

namespace keys = bt_navigator::keys;

const std::string kFollow =
  "<Sequence><InjectFault action_id=\"{action_id}\" speed_scale=\"{scale}\"/>"
  "<FollowGoalPoses goal_poses=\"{goal_poses}\" run_mode=\"{run_mode}\" "
  "global_result=\"{global_result}\" local_result=\"{local_result}\" "
  "post_task_pose=\"{post_task_pose}\" max_speed=\"{max_speed}\" speed_scale=\"{scale}\"/>"
  "</Sequence>";

const std::string kCover =
  "<CoverZones global_result=\"{global_result}\" local_result=\"{local_result}\" "
  "post_task_pose=\"{post_task_pose}\" max_speed=\"{max_speed}\" lane_spacing=\"0.5\"/>";

BT::Blackboard::Ptr goalBoard(const std::vector<Pose2D> & goals, int run_mode, float max_speed)
{
  auto blackboard = BT::Blackboard::create();
  keys::PosePath poses;
  for (const auto & goal : goals) {
    poses.push_back(toPoseStamped(goal));
  }
  keys::set(*blackboard, keys::kGoalPoses, poses);
  keys::set(*blackboard, keys::kRunMode, run_mode);
  keys::set(*blackboard, keys::kMaxSpeed, max_speed);
  return blackboard;
}

/// Distance from a point to the trajectory polyline.
double distanceToTrajectory(const std::vector<SimRobot::Sample> & samples, const Point2D & p)
{
  double best = INFINITY;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    const Pose2D & a = samples[i - 1].pose;
    const Pose2D & b = samples[i].pose;
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    const double t =
      length2 == 0.0 ? 0.0 : std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0);
    best = std::min(best, std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y));
  }
  return best;
}

TEST(FollowGoalPoses, ReachesEachGoalAtTheJobsSpeedAndWritesItsResults)
{
  RobotFixture fixture(20.0);
  SimRobot & robot = fixture.robot();
  auto blackboard = goalBoard({{3.0, 0.0, 0.0}}, 0, 0.6F);
  auto tree = simTree(kFollow, blackboard);
  ASSERT_EQ(tickUntilDone(tree, robot), BT::NodeStatus::SUCCESS);
  EXPECT_NEAR(
    speedUnderWay(
      robot.trajectory(), [](const Pose2D & pose) { return pose.x > 0.0 && pose.x < 3.0; }),
    0.6, 1e-6);
  EXPECT_NEAR(robot.pose().x, 3.0, 0.01);
  EXPECT_NEAR(robot.pose().y, 0.0, 0.01);
  const auto post = keys::get(*blackboard, keys::kPostTaskPose);
  ASSERT_EQ(post.size(), 1U);
  EXPECT_DOUBLE_EQ(post[0].pose.position.x, 3.0);
  const auto plan = keys::get(*blackboard, keys::kGlobalResult);
  ASSERT_EQ(plan.path_segments.size(), 1U);
  EXPECT_EQ(plan.path_segments[0].poses.size(), 2U);
  EXPECT_FLOAT_EQ(keys::get(*blackboard, keys::kLocalResult).cleaned_area, 0.0F);
}

TEST(FollowGoalPoses, DrivesToTheNearestFreeWorkPointOfAnArmJob)
{
  RobotFixture fixture(20.0);
  SimWorld::instance().setObstacles({{{0.5, -0.5}, {1.5, -0.5}, {1.5, 0.5}, {0.5, 0.5}}});
  auto blackboard = goalBoard({{1.0, 0.0, 0.0}, {0.0, 2.0, 0.0}, {4.0, 0.0, 0.0}}, 405, 1.0F);
  auto tree = simTree(kFollow, blackboard);
  ASSERT_EQ(tickUntilDone(tree, fixture.robot()), BT::NodeStatus::SUCCESS);
  EXPECT_NEAR(fixture.robot().pose().x, 0.0, 0.01);
  EXPECT_NEAR(fixture.robot().pose().y, 2.0, 0.01);
}

TEST(FollowGoalPoses, FailsAtOnceForAnUnreachableGoal)
{
  const struct
  {
    const char * what;
    Pose2D goal;
  } cases[] = {
    {"inside an obstacle", {4.5, 3.5, 0.0}},
    {"outside the world", {2 * kWorldLimit, 0.0, 0.0}},
    {"not a number", {NAN, 0.0, 0.0}},
    {"infinitely far", {0.0, -INFINITY, 0.0}},
  };
  for (const auto & unreachable : cases) {
    RobotFixture fixture(20.0);
    SimWorld::instance().setObstacles({{{4, 3}, {5, 3}, {5, 4}, {4, 4}}});
    auto blackboard = goalBoard({{1.0, 0.0, 0.0}, unreachable.goal}, 0, 0.5F);
    auto tree = simTree(kFollow, blackboard);
    EXPECT_EQ(tree.tickRoot(), BT::NodeStatus::FAILURE) << unreachable.what;
    EXPECT_FALSE(fixture.robot().status().active) << unreachable.what;
    EXPECT_DOUBLE_EQ(fixture.robot().pose().x, 0.0) << unreachable.what;
  }
}

TEST(FollowGoalPoses, DrivesOnAfterAZeroVelocityStoppedTheRobot)
{
  RobotFixture fixture(5.0);
  SimRobot & robot = fixture.robot();
  auto blackboard = goalBoard({{2.0, 0.0, 0.0}}, 0, 0.5F);
  auto tree = simTree(kFollow, blackboard);
  ASSERT_EQ(tree.tickRoot(), BT::NodeStatus::RUNNING);
  ASSERT_TRUE(robot.waitFor([&]() { return robot.pose().x > 0.2; }, std::chrono::seconds(10)));
  robot.stop();
  ASSERT_EQ(tickUntilDone(tree, robot), BT::NodeStatus::SUCCESS);
  EXPECT_NEAR(robot.pose().x, 2.0, 0.01);
}

TEST(InjectFault, ForcedFailureRaisesAlwaysFailureOnceForItsActionId)
{
  RobotFixture fixture(20.0);
  SimWorld::instance().armFault(7, {Fault::Kind::kAlwaysFailure, 1.0});
  auto blackboard = goalBoard({{1.0, 0.0, 0.0}}, 0, 0.5F);
  keys::set(*blackboard, keys::kAlwaysFailure, false);
  std_msgs::msg::Int32 action_id;
  action_id.data = 7;
  keys::set(*blackboard, keys::kActionId, action_id);
  auto tree = simTree(kFollow, blackboard);
  EXPECT_EQ(tree.tickRoot(), BT::NodeStatus::RUNNING);
  EXPECT_EQ(tree.tickRoot(), BT::NodeStatus::RUNNING);
  EXPECT_TRUE(keys::get(*blackboard, keys::kAlwaysFailure));
  EXPECT_FALSE(fixture.robot().status().active);
  // Fired once: the next run drives.
  tree.haltTree();
  keys::set(*blackboard, keys::kAlwaysFailure, false);
  EXPECT_EQ(tickUntilDone(tree, fixture.robot()), BT::NodeStatus::SUCCESS);
  EXPECT_FALSE(keys::get(*blackboard, keys::kAlwaysFailure));
}

TEST(InjectFault, SlowRunDrivesAtTheFaultsFractionOfTheSpeed)
{
  RobotFixture fixture(20.0);
  SimRobot & robot = fixture.robot();
  SimWorld::instance().armFault(3, {Fault::Kind::kSlow, 0.25});
  auto blackboard = goalBoard({{2.0, 0.0, 0.0}}, 0, 1.0F);
  std_msgs::msg::Int32 action_id;
  action_id.data = 3;
  keys::set(*blackboard, keys::kActionId, action_id);
  auto tree = simTree(kFollow, blackboard);
  ASSERT_EQ(tickUntilDone(tree, robot), BT::NodeStatus::SUCCESS);
  EXPECT_NEAR(
    speedUnderWay(
      robot.trajectory(), [](const Pose2D & pose) { return pose.x > 0.0 && pose.x < 2.0; }),
    0.25, 1e-6);
  EXPECT_DOUBLE_EQ(blackboard->get<double>("scale"), 0.25);
}

TEST(CoverZones, SweepsTheWholeZoneAndReportsItsArea)
{
  RobotFixture fixture(40.0);
  SimRobot & robot = fixture.robot();
  const Polygon2D zone{{1, 1}, {3, 1}, {3, 2.5}, {1, 2.5}};
  auto blackboard = BT::Blackboard::create();
  keys::GlobalPlanningResult zones;
  zones.goal_zones.push_back(toPolygonMsg(zone));
  zones.plan_id = "plan";
  keys::set(*blackboard, keys::kGlobalResult, zones);
  keys::set(*blackboard, keys::kMaxSpeed, 1.0F);
  auto tree = simTree(kCover, blackboard);
  ASSERT_EQ(tickUntilDone(tree, robot), BT::NodeStatus::SUCCESS);

  const auto trajectory = robot.trajectory();
  for (double x = 1.0; x <= 3.0; x += 0.1) {
    for (double y = 1.0; y <= 2.5; y += 0.1) {
      EXPECT_LE(distanceToTrajectory(trajectory, {x, y}), 0.25 + 1e-6) << x << ", " << y;
    }
  }
  const auto result = keys::get(*blackboard, keys::kLocalResult);
  EXPECT_FLOAT_EQ(result.cleaned_area, 3.0F);
  EXPECT_TRUE(result.residues_zones.empty());
  const auto plan = keys::get(*blackboard, keys::kGlobalResult);
  EXPECT_EQ(plan.plan_id, "plan");
  ASSERT_EQ(plan.path_segments.size(), 1U);
  EXPECT_EQ(plan.path_segments[0].poses.size(), 6U);
}

TEST(CoverZones, HaltedHalfWayLeavesTheRestAsAResidueZone)
{
  RobotFixture fixture(20.0);
  SimRobot & robot = fixture.robot();
  auto blackboard = BT::Blackboard::create();
  keys::GlobalPlanningResult zones;
  zones.goal_zones.push_back(toPolygonMsg({{0, 0}, {2, 0}, {2, 2}, {0, 2}}));
  keys::set(*blackboard, keys::kGlobalResult, zones);
  keys::set(*blackboard, keys::kMaxSpeed, 1.0F);
  auto tree = simTree(kCover, blackboard);
  ASSERT_EQ(tree.tickRoot(), BT::NodeStatus::RUNNING);
  // Past the second lane's end (lanes at y 0.25 and 0.75).
  ASSERT_TRUE(robot.waitFor([&]() { return robot.pose().y > 1.0; }, std::chrono::seconds(10)));
  tree.haltTree();
  const auto result = keys::get(*blackboard, keys::kLocalResult);
  EXPECT_FLOAT_EQ(result.cleaned_area, 2.0F);
  ASSERT_EQ(result.residues_zones.size(), 1U);
  EXPECT_DOUBLE_EQ(area(toPolygon2D(result.residues_zones[0])), 2.0);
  EXPECT_FALSE(robot.status().active);
}

TEST(RunModeIsAndLiftCar, MatchTheirBlackboardEntries)
{
  RobotFixture fixture(20.0);
  auto blackboard = goalBoard({{1.0, 1.0, 0.0}}, 201, 0.5F);
  auto mode_tree = simTree("<RunModeIs run_mode=\"{run_mode}\" modes=\"1;201;601\"/>", blackboard);
  EXPECT_EQ(mode_tree.tickRoot(), BT::NodeStatus::SUCCESS);
  keys::set(*blackboard, keys::kRunMode, 0);
  EXPECT_EQ(mode_tree.tickRoot(), BT::NodeStatus::FAILURE);

  auto car_tree = simTree(
    "<GoalInsideLiftCar goal_poses=\"{goal_poses}\" lift_inner_frame=\"{lift_inner_frame}\"/>",
    blackboard);
  EXPECT_EQ(car_tree.tickRoot(), BT::NodeStatus::SUCCESS);  // no outline known
  keys::set(*blackboard, keys::kLiftInnerFrame, toPolygonMsg({{0, 0}, {2, 0}, {2, 2}, {0, 2}}));
  EXPECT_EQ(car_tree.tickRoot(), BT::NodeStatus::SUCCESS);
  keys::set(*blackboard, keys::kLiftInnerFrame, toPolygonMsg({{5, 5}, {6, 5}, {6, 6}, {5, 6}}));
  EXPECT_EQ(car_tree.tickRoot(), BT::NodeStatus::FAILURE);
}

}  // namespace
}  // namespace velmoran_nav2_sim::test

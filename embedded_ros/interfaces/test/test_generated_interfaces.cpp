// The generated C++ types behave like ROS 2 messages: field defaults,
// constants, sequences and value semantics.
#include <gtest/gtest.h>

#include <geometry_msgs/msg/pose_stamped.hpp>
#include <nav2_msgs/action/navigate_to_pose.hpp>
#include <std_srvs/srv/set_bool.hpp>
#include <velmoran_nav2_protocol/action/global_planning.hpp>
#include <velmoran_nav2_protocol/action/local_planning.hpp>
#include <velmoran_nav2_protocol/msg/movement_constraint.hpp>
#include <velmoran_protocol/action/planner.hpp>
#include <velmoran_protocol/msg/robot_info_level_zero.hpp>
#include <velmoran_protocol/srv/arm_retract_detect.hpp>

using velmoran_protocol::action::Planner;

namespace
{
geometry_msgs::msg::PoseStamped makePose(double x, double y)
{
  geometry_msgs::msg::PoseStamped pose;
  pose.header.frame_id = "map";
  pose.pose.position.x = x;
  pose.pose.position.y = y;
  return pose;
}

geometry_msgs::msg::Polygon makeZone(std::initializer_list<std::pair<float, float>> corners)
{
  geometry_msgs::msg::Polygon zone;
  for (const auto & [x, y] : corners) {
    geometry_msgs::msg::Point32 point;
    point.x = x;
    point.y = y;
    zone.points.push_back(point);
  }
  return zone;
}
}  // namespace

TEST(GeneratedInterfaces, PlannerGoalDefaultsAreZeroAndQuaternionsIdentity)
{
  Planner::Goal goal;
  EXPECT_EQ(goal.action_id, 0);
  EXPECT_EQ(goal.run_mode, 0);
  EXPECT_EQ(goal.command, 0u);
  EXPECT_FLOAT_EQ(goal.max_speed, 0.0f);
  EXPECT_TRUE(goal.goal_poses.empty());
  EXPECT_TRUE(goal.goal_zones.empty());

  Planner::Result result;
  EXPECT_EQ(result.fuzzy_pose.pose.orientation.w, 1.0);
  EXPECT_EQ(result.fuzzy_pose.pose.orientation.x, 0.0);
  EXPECT_FALSE(result.success);
  EXPECT_TRUE(result.message.empty());
  EXPECT_EQ(result.fuzzy_pose.header.stamp.sec, 0);
}

TEST(GeneratedInterfaces, PlannerConstantsNameRunModesAndCommands)
{
  EXPECT_EQ(Planner::Goal::NONE, -1);
  EXPECT_EQ(Planner::Goal::NAVIGATION, 0);
  EXPECT_EQ(Planner::Goal::CHARGE, 2);
  EXPECT_EQ(Planner::Goal::LIFT, 100);
  EXPECT_EQ(Planner::Goal::LIFT_WAITING_AREA, 102);
  EXPECT_EQ(Planner::Goal::DYNAMICCOVERAGERESIDUESZONES, 202);
  EXPECT_EQ(Planner::Goal::NAVIGATION_LATERAL_MOVE_WITH_ODOM, 403);
  EXPECT_EQ(Planner::Goal::NAVIGATION_WITH_ARM, 405);
  EXPECT_EQ(Planner::Goal::STATICGONGCOVERAGE, 601);
  EXPECT_EQ(Planner::Goal::COMMAND_STOP, 1u);
  EXPECT_EQ(Planner::Goal::COMMAND_KEEP_RUNNING, 2u);
}

TEST(GeneratedInterfaces, PlannerGoalAndResultCarrySequencesByValue)
{
  Planner::Goal goal;
  goal.goal_poses = {makePose(1, 2), makePose(3, 4)};
  goal.goal_zones = {makeZone({{0, 0}, {1, 0}, {1, 1}})};
  goal.lift_frame = makeZone({{0, 0}, {2, 0}, {2, 2}, {0, 2}}).points;

  Planner::Goal copy = goal;
  EXPECT_EQ(copy, goal);
  copy.goal_poses[1].pose.position.x = 5;
  EXPECT_NE(copy, goal);
  EXPECT_EQ(goal.goal_poses[1].pose.position.x, 3);
  EXPECT_EQ(goal.goal_zones[0].points.size(), 3u);
  EXPECT_EQ(goal.lift_frame.size(), 4u);

  Planner::Result result;
  result.residues_zones = goal.goal_zones;
  result.global_path = goal.goal_poses;
  EXPECT_EQ(result.global_path.back().header.frame_id, "map");
  EXPECT_FLOAT_EQ(result.residues_zones[0].points[2].y, 1.0f);
}

TEST(GeneratedInterfaces, ActionImplementationTypesAreGenerated)
{
  Planner::Impl::SendGoalService::Request request;
  request.goal.run_mode = Planner::Goal::LIFT;
  EXPECT_EQ(request.goal_id.uuid.size(), 16u);
  Planner::Impl::GetResultService::Response response;
  response.result.err_num = 101;
  EXPECT_EQ(response.result.err_num, 101);
  Planner::Impl::FeedbackMessage feedback;
  feedback.feedback.index = 1;
  EXPECT_EQ(feedback.feedback.index, 1);
}

TEST(GeneratedInterfaces, NavigateToPoseGoalHoldsOnePose)
{
  nav2_msgs::action::NavigateToPose::Goal goal;
  goal.pose = makePose(7, 8);
  EXPECT_EQ(goal.pose.pose.position.y, 8);
  EXPECT_TRUE(goal.behavior_tree.empty());
  nav2_msgs::action::NavigateToPose::Feedback feedback;
  EXPECT_EQ(feedback.number_of_recoveries, 0);
}

TEST(GeneratedInterfaces, RobotMessagesAndServicesHaveTheirFields)
{
  velmoran_protocol::msg::RobotInfoLevelZero info;
  EXPECT_FALSE(info.emergency_stop);

  velmoran_protocol::srv::ArmRetractDetect::Request request;
  request.recommand_work_points.push_back(makePose(1, 1));
  velmoran_protocol::srv::ArmRetractDetect::Response response;
  EXPECT_FALSE(response.need_retract);

  velmoran_nav2_protocol::msg::MovementConstraint constraint;
  constraint.second_constraint = true;
  EXPECT_FALSE(constraint.first_constraint);
  EXPECT_FALSE(constraint.third_constraint);

  std_srvs::srv::SetBool::Response set_bool;
  EXPECT_FALSE(set_bool.success);
}

TEST(GeneratedInterfaces, PlanningResultsCarryZonesPathsAndArea)
{
  velmoran_nav2_protocol::action::GlobalPlanning_Result global;
  global.goal_zones = {makeZone({{1, 2}, {3, 4}})};
  global.plan_id = "0b7c3f4e-0000-4000-8000-000000000000";
  global.path_segments.resize(2);
  global.path_segments[1].poses = {makePose(1, 1)};
  EXPECT_EQ(global.path_segments[1].poses.size(), 1u);
  EXPECT_EQ(global.planner_param_a, 0);

  velmoran_nav2_protocol::action::LocalPlanning_Result local;
  EXPECT_FALSE(local.use_odometry);
  EXPECT_FLOAT_EQ(local.cleaned_area, 0.0f);
  local.target_poses = {makePose(0, 1), makePose(2, 3)};
  EXPECT_EQ(local.target_poses.size(), 2u);
}

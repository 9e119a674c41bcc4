// The command line of velmoran_planner: what each bad argument is told, and what good ones send.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "velmoran_planner_cli/planner_arguments.hpp"
#include "velmoran_planner_cli/usage_error.hpp"

namespace
{
using velmoran_planner::PlannerArguments;
using velmoran_planner::UsageError;
using velmoran_planner::Verb;

struct BadCase
{
  std::vector<std::string> arguments;
  std::string error;
};

TEST(PlannerArguments, BadArgumentsGetAUsageErrorNamingThem)
{
  const std::vector<BadCase> cases{
    {{}, "missing command (send, cancel, stop-task, estop, arm-retract-check)"},
    {{"--node", "x"}, "missing command (send, cancel, stop-task, estop, arm-retract-check)"},
    {{"fly"}, "unknown command 'fly'"},
    {{"send", "--run-mode", "0", "--colour", "red"}, "unrecognized argument '--colour'"},
    {{"send", "--run-mode"}, "argument --run-mode: expected a value"},
    {{"send"}, "argument --run-mode: required by 'send'"},
    {{"send", "--run-mode", "FLY"},
     "argument --run-mode: invalid run mode 'FLY' (see --help for the names)"},
    {{"send", "--run-mode", "4294967296"},
     "argument --run-mode: invalid run mode '4294967296' (see --help for the names)"},
    {{"send", "--run-mode", "0", "--run-mode", "1"}, "argument --run-mode: given more than once"},
    {{"send", "--run-mode", "0", "--pose", "1"},
     "argument --pose: invalid pose '1' (expected x,y or x,y,yaw_degrees)"},
    {{"send", "--run-mode", "0", "--pose", "1,2,3,4"},
     "argument --pose: invalid pose '1,2,3,4' (expected x,y or x,y,yaw_degrees)"},
    {{"send", "--run-mode", "0", "--pose", "1,y"},
     "argument --pose: invalid pose '1,y' (expected x,y or x,y,yaw_degrees)"},
    {{"send", "--run-mode", "0", "--pose", "1,nan"},
     "argument --pose: invalid pose '1,nan' (expected x,y or x,y,yaw_degrees)"},
    {{"send", "--run-mode", "0", "--pose", "1,,2"},
     "argument --pose: invalid pose '1,,2' (expected x,y or x,y,yaw_degrees)"},
    {{"send", "--run-mode", "0", "--zone", "0,0;1,1"},
     "argument --zone: invalid zone '0,0;1,1' (expected at least three corners x,y;x,y;x,y)"},
    {{"send", "--run-mode", "0", "--zone", "0,0;1,1;2"},
     "argument --zone: invalid zone '0,0;1,1;2' (expected at least three corners x,y;x,y;x,y)"},
    {{"send", "--run-mode", "0", "--zone", "0,0;1,1;1e39,0"},
     "argument --zone: invalid zone '0,0;1,1;1e39,0' (expected at least three corners "
     "x,y;x,y;x,y)"},
    {{"send", "--run-mode", "0", "--command", "-1"},
     "argument --command: invalid unsigned 32-bit number '-1'"},
    {{"send", "--run-mode", "0", "--command", "4294967296"},
     "argument --command: invalid unsigned 32-bit number '4294967296'"},
    {{"send", "--run-mode", "0", "--action-id", "1.5"},
     "argument --action-id: invalid 32-bit number '1.5'"},
    {{"send", "--run-mode", "0", "--max-speed", "-0.5"},
     "argument --max-speed: invalid non-negative number '-0.5'"},
    {{"send", "--run-mode", "0", "--distance", "inf"}, "argument --distance: invalid number 'inf'"},
    {{"send", "--run-mode", "0", "--distance", " 1"}, "argument --distance: invalid number ' 1'"},
    {{"send", "--run-mode", "0", "--timeout", "0"},
     "argument --timeout: invalid number of seconds '0'"},
    {{"send", "--run-mode", "0", "--point", "1,2"}, "argument --point: not allowed with 'send'"},
    {{"send", "--run-mode", "0", "extra"}, "unrecognized argument 'extra'"},
    {{"cancel", "--pose", "1,2"}, "argument --pose: not allowed with 'cancel'"},
    {{"stop-task", "now"}, "unrecognized argument 'now'"},
    {{"estop"}, "argument on|off: required by 'estop'"},
    {{"estop", "maybe"}, "argument on|off: expected 'on' or 'off', got 'maybe'"},
    {{"estop", "on", "off"}, "unrecognized argument 'off'"},
    {{"arm-retract-check"}, "argument --point: required by 'arm-retract-check'"},
    {{"arm-retract-check", "--point", "1,2,3"},
     "argument --point: invalid point '1,2,3' (expected x,y)"},
    {{"cancel", "--node", "2nd"}, "argument --node: invalid node name '2nd'"},
    {{"cancel", "--node", "/a b/x"}, "argument --node: invalid node name '/a b/x'"},
    {{"cancel", "--namespace", "robot//one"},
     "argument --namespace: invalid namespace 'robot//one'"},
    {{"cancel", "--namespace", "/b", "--node", "/a/x"},
     "argument --node: the namespace of '/a/x' differs from --namespace '/b'"},
  };
  for (const auto & bad : cases) {
    std::string joined;
    for (const auto & argument : bad.arguments) {
      joined += " " + argument;
    }
    try {
      PlannerArguments::parse(bad.arguments);
      ADD_FAILURE() << "accepted:" << joined;
    } catch (const UsageError & error) {
      EXPECT_EQ(error.what(), bad.error) << "for:" << joined;
    }
  }
}

struct GoodCase
{
  std::vector<std::string> arguments;
  int32_t run_mode;
  std::vector<std::vector<double>> poses;  // x, y, yaw in radians
  std::vector<std::vector<float>> zones;   // x0, y0, x1, y1, ...
  uint32_t command;
  float max_speed;
  int32_t action_id;
  float distance;
};

TEST(PlannerArguments, GoodArgumentsBecomeTheGoalFields)
{
  const double pi = std::acos(-1.0);
  const std::vector<GoodCase> cases{
    {{"send", "--run-mode", "NAVIGATION", "--pose", "1,2,90", "--pose", "3,0"},
     0,
     {{1, 2, pi / 2}, {3, 0, 0}},
     {},
     0,
     0.0F,
     0,
     0.0F},
    {{"send", "--run-mode=dynamiccoverage", "--zone", "0,0;2,0;2,2", "--zone=-1,-1;-2,-1;-2,-2.5"},
     201,
     {},
     {{0, 0, 2, 0, 2, 2}, {-1, -1, -2, -1, -2, -2.5F}},
     0,
     0.0F,
     0,
     0.0F},
    {{"--namespace", "robot", "send", "--run-mode", "400", "--distance", "-1.5", "--command", "1",
      "--max-speed", "0.3", "--action-id", "-7"},
     400,
     {},
     {},
     1,
     0.3F,
     -7,
     -1.5F},
    {{"send", "--run-mode", "404", "--pose", "-1.5,-2,-180"},
     404,
     {{-1.5, -2, -pi}},
     {},
     0,
     0.0F,
     0,
     0.0F},
    {{"send", "--run-mode", "-1"}, -1, {}, {}, 0, 0.0F, 0, 0.0F},
  };
  for (const auto & good : cases) {
    const auto request = PlannerArguments::parse(good.arguments);
    const auto & goal = request.goal;
    SCOPED_TRACE(good.arguments[2]);
    EXPECT_EQ(request.verb, Verb::Send);
    EXPECT_EQ(goal.run_mode, good.run_mode);
    ASSERT_EQ(goal.goal_poses.size(), good.poses.size());
    for (std::size_t i = 0; i < good.poses.size(); ++i) {
      const auto & pose = goal.goal_poses[i];
      EXPECT_EQ(pose.header.frame_id, "map");
      EXPECT_DOUBLE_EQ(pose.pose.position.x, good.poses[i][0]);
      EXPECT_DOUBLE_EQ(pose.pose.position.y, good.poses[i][1]);
      EXPECT_NEAR(pose.pose.orientation.z, std::sin(good.poses[i][2] / 2), 1e-12);
      EXPECT_NEAR(pose.pose.orientation.w, std::cos(good.poses[i][2] / 2), 1e-12);
    }
    ASSERT_EQ(goal.goal_zones.size(), good.zones.size());
    for (std::size_t i = 0; i < good.zones.size(); ++i) {
      ASSERT_EQ(goal.goal_zones[i].points.size() * 2, good.zones[i].size());
      for (std::size_t j = 0; j < goal.goal_zones[i].points.size(); ++j) {
        EXPECT_EQ(goal.goal_zones[i].points[j].x, good.zones[i][2 * j]);
        EXPECT_EQ(goal.goal_zones[i].points[j].y, good.zones[i][2 * j + 1]);
      }
    }
    EXPECT_EQ(goal.command, good.command);
    EXPECT_EQ(goal.max_speed, good.max_speed);
    EXPECT_EQ(goal.action_id, good.action_id);
    EXPECT_EQ(goal.distance, good.distance);
  }
}

TEST(PlannerArguments, OtherCommandsCarryTheirServerAndInputs)
{
  auto request = PlannerArguments::parse({"estop", "on", "--node", "/robot1/decision"});
  EXPECT_EQ(request.verb, Verb::Estop);
  EXPECT_TRUE(request.emergency_stop);
  EXPECT_EQ(request.node_name, "decision");
  EXPECT_EQ(request.node_namespace, "/robot1");

  request = PlannerArguments::parse({"arm-retract-check", "--point", "1,2", "--point=-3,4.5"});
  EXPECT_EQ(request.verb, Verb::ArmRetractCheck);
  ASSERT_EQ(request.work_points.size(), 2U);
  EXPECT_EQ(request.work_points[1].pose.position.x, -3.0);
  EXPECT_EQ(request.work_points[1].pose.position.y, 4.5);
  EXPECT_EQ(request.node_name, "velmoran_nav2_decision");
  EXPECT_EQ(request.node_namespace, "/");
  EXPECT_FALSE(request.timeout_seconds.has_value());

  request = PlannerArguments::parse({"stop-task", "--timeout", "2.5", "--namespace", "/a/b"});
  EXPECT_EQ(request.verb, Verb::StopTask);
  EXPECT_EQ(request.timeout_seconds, 2.5);
  EXPECT_EQ(request.node_namespace, "/a/b");

  EXPECT_EQ(PlannerArguments::parse({"send", "--bad", "--help"}).verb, Verb::Help);
  const std::string help = PlannerArguments::help();
  EXPECT_NE(help.find("  201  DYNAMICCOVERAGE\n"), std::string::npos) << help;
  EXPECT_NE(help.find("  -1   NONE\n"), std::string::npos) << help;
}

}  // namespace

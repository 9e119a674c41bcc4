// Scenario files: what a good file gives, and the error of each kind of bad input.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "velmoran_nav2_sim/scenario_parser.hpp"

namespace velmoran_nav2_sim
{
namespace
{

using ::testing::HasSubstr;

Scenario parse(const std::string & text) { return ScenarioParser::parseText(text, "test.yaml"); }

std::string errorOf(const std::string & text)
{
  try {
    parse(text);
  } catch (const ScenarioError & error) {
    return error.what();
  }
  return "no error";
}

TEST(ScenarioParser, ReadsEveryKindOfStep)
{
  const Scenario scenario = parse(R"(
name: all
time_factor: 4
start: [1, 2, 90]
obstacles: [[[0, 0], [1, 0], [1, 1]]]
steps:
  - job:
      name: a
      run_mode: CHARGE
      poses: [[1, 2, 180], [3, 4]]
      max_speed: 0.4
      wait: false
      expect: {outcome: aborted, err_num: 1, index: 2, message: Task failed}
  - job: {name: b, run_mode: 401, zones: [[[0, 0], [1, 0], [1, 1]]], fault: {kind: slow, speed_scale: 0.5}}
  - goal_pose: {name: c, pose: [1, 1]}
  - navigate_to_pose: {name: d, pose: [2, 2, 45], wait: false}
  - wait: 1.5
  - wait_for: a
  - cancel: a
  - stop_task: true
  - emergency_stop: 2
  - arm_retract_check: {points: [[1, 1]], expect_need_retract: true}
)");
  EXPECT_EQ(scenario.name, "all");
  EXPECT_EQ(scenario.time_factor, 4.0);
  EXPECT_DOUBLE_EQ(scenario.start.yaw, M_PI / 2);
  ASSERT_EQ(scenario.obstacles.size(), 1U);
  ASSERT_EQ(scenario.steps.size(), 10U);
  const auto & a = std::get<JobStep>(scenario.steps[0]);
  EXPECT_EQ(a.run_mode, 2);
  EXPECT_EQ(a.line, 7);
  ASSERT_EQ(a.poses.size(), 2U);
  EXPECT_DOUBLE_EQ(a.poses[0].yaw, M_PI);
  EXPECT_FALSE(a.wait);
  EXPECT_EQ(a.expect.outcome, "aborted");
  EXPECT_EQ(a.expect.index, 2);
  EXPECT_EQ(a.expect.message, "Task failed");
  const auto & b = std::get<JobStep>(scenario.steps[1]);
  EXPECT_EQ(b.run_mode, 401);
  ASSERT_TRUE(b.fault.has_value());
  EXPECT_DOUBLE_EQ(b.fault->speed_scale, 0.5);
  EXPECT_EQ(b.expect.outcome, "succeeded");
  EXPECT_EQ(
    std::get<ForwardedGoalStep>(scenario.steps[3]).input,
    ForwardedGoalStep::Input::kNavigateToPose);
  EXPECT_DOUBLE_EQ(std::get<WaitStep>(scenario.steps[4]).seconds, 1.5);
  EXPECT_DOUBLE_EQ(std::get<EmergencyStopStep>(scenario.steps[8]).seconds, 2.0);
  EXPECT_TRUE(std::get<ArmRetractCheckStep>(scenario.steps[9]).expect_need_retract);
}

TEST(ScenarioParser, NamesFileLineAndFieldOfBadInput)
{
  const std::string head = "name: bad\nsteps:\n  - job:\n      name: a\n";
  // unknown key
  EXPECT_EQ(
    errorOf(head + "      run_mode: NAVIGATION\n      colour: red\n"),
    "test.yaml:6: steps[0].job.colour: unknown key");
  // wrong type
  EXPECT_EQ(
    errorOf(head + "      run_mode: NAVIGATION\n      max_speed: fast\n"),
    "test.yaml:6: steps[0].job.max_speed: expected a number, not 'fast'");
  EXPECT_EQ(
    errorOf(head + "      run_mode: NAVIGATION\n      poses: [[1, x]]\n"),
    "test.yaml:6: steps[0].job.poses[0]: expected a number, not 'x'");
  EXPECT_EQ(
    errorOf(head + "      run_mode: NAVIGATION\n      wait: sometimes\n"),
    "test.yaml:6: steps[0].job.wait: expected true or false, not 'sometimes'");
  // missing field
  EXPECT_EQ(errorOf(head), "test.yaml:4: steps[0].job.run_mode: missing field");
  EXPECT_EQ(errorOf("steps: [{wait: 1}]\n"), "test.yaml:1: name: missing field");
  // unknown values
  EXPECT_EQ(
    errorOf(head + "      run_mode: FLYING\n"),
    "test.yaml:5: steps[0].job.run_mode: unknown run mode 'FLYING'");
  EXPECT_EQ(
    errorOf("name: x\nsteps:\n  - dance: 1\n"), "test.yaml:3: steps[0].dance: unknown step");
  EXPECT_THAT(
    errorOf(head + "      run_mode: NAVIGATION\n      expect: {outcome: done}\n"),
    HasSubstr("test.yaml:6: steps[0].job.expect.outcome: expected succeeded, aborted or canceled"));
}

TEST(ScenarioParser, ChecksStepsAgainstEachOther)
{
  EXPECT_EQ(
    errorOf("name: x\nsteps:\n  - cancel: ghost\n"),
    "test.yaml:3: cancel: no job named 'ghost' before this step");
  EXPECT_EQ(
    errorOf("name: x\nsteps:\n  - goal_pose: {name: a, pose: [0, 0]}\n"
            "  - goal_pose: {name: a, pose: [1, 0]}\n"),
    "test.yaml:4: name: job name 'a' is used twice");
  EXPECT_THAT(
    errorOf("name: x\nsteps:\n  - job: {name: a, run_mode: LIFT, fault: {kind: always_failure}}\n"),
    HasSubstr("test.yaml:3: steps[0].job.fault: faults are armed by action id"));
  EXPECT_THAT(errorOf("name: x\nsteps: [\n"), HasSubstr("test.yaml:"));
  EXPECT_EQ(
    errorOf("name: x\nsteps: []\n"), "test.yaml:2: steps: expected a non-empty list of steps");
}

TEST(ScenarioParser, ReadsTheShippedScenariosAndNamesAMissingFile)
{
  for (const auto & entry : std::filesystem::directory_iterator(VELMORAN_SIM_SCENARIOS)) {
    EXPECT_NO_THROW(ScenarioParser::parseFile(entry.path().string())) << entry.path();
  }
  try {
    ScenarioParser::parseFile("/nonexistent/scenario.yaml");
    FAIL() << "no error";
  } catch (const ScenarioError & error) {
    EXPECT_STREQ(error.what(), "/nonexistent/scenario.yaml:0: file: cannot be read");
  }
}

}  // namespace
}  // namespace velmoran_nav2_sim

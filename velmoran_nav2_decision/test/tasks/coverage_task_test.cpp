#include <memory>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <std_msgs/msg/int32.hpp>
#include <velmoran_nav2_protocol/action/global_planning.hpp>

#include "dynamic_coverage_task.hpp"
#include "static_coverage_task.hpp"
#include "task_test_support.hpp"

namespace bt_navigator::test
{
namespace
{

using GlobalPlanningResult = velmoran_nav2_protocol::action::GlobalPlanning_Result;
using PointList = std::vector<geometry_msgs::msg::Point32>;

geometry_msgs::msg::Polygon square(float x, float y)
{
  geometry_msgs::msg::Polygon zone;
  zone.points = {point32(x, y), point32(x + 1, y), point32(x + 1, y + 1), point32(x, y + 1)};
  return zone;
}

/// Both coverage classes behave alike; the parameter is the class name in their log texts.
template <typename Task>
class CoverageTaskTest : public TaskTest
{
protected:
  std::shared_ptr<Goal> coverageGoal(int32_t run_mode)
  {
    auto goal = makeGoal(run_mode);
    goal->action_id = 7;
    goal->goal_zones = {square(0, 0), square(5, 5)};
    goal->extra_zones = {square(9, 9)};
    goal->covered_points = {point32(1.5F, 2.5F, 7.0F), point32(-1.0F, 0.25F, -3.0F)};
    goal->planner_param_a = 11;
    goal->planner_param_b = -12;
    return goal;
  }

  static std::string className();
  static int32_t runMode();
};

template <>
std::string CoverageTaskTest<StaticCoverageTask>::className()
{
  return "StaticCoverageTask";
}
template <>
int32_t CoverageTaskTest<StaticCoverageTask>::runMode()
{
  return Goal::STATICGONGCOVERAGE;
}
template <>
std::string CoverageTaskTest<DynamicCoverageTask>::className()
{
  return "DynamicCoverageTask";
}
template <>
int32_t CoverageTaskTest<DynamicCoverageTask>::runMode()
{
  return Goal::DYNAMICCOVERAGE;
}

using CoverageTasks = ::testing::Types<StaticCoverageTask, DynamicCoverageTask>;
TYPED_TEST_SUITE(CoverageTaskTest, CoverageTasks);

TYPED_TEST(CoverageTaskTest, HandsOutAllZonesInOneGoal)
{
  const auto goal = this->coverageGoal(this->runMode());
  TypeParam task(this->blackboard_, &this->tree_);
  ASSERT_TRUE(task.updateQueue(goal));
  EXPECT_EQ(task.currentGoal()->index, 0);
  EXPECT_TRUE(this->template entry<bool>("path_updated"));

  ASSERT_EQ(task.nextGoal(), TaskState::CONTINUE);
  EXPECT_EQ(task.goalMode(), this->runMode());
  EXPECT_EQ(this->template entry<int>("run_mode"), this->runMode());
  EXPECT_EQ(this->template entry<std_msgs::msg::Int32>("action_id").data, 7);
  EXPECT_EQ(this->template entry<std_msgs::msg::Int32>("action_id_result").data, 7);

  const auto result = this->template entry<GlobalPlanningResult>("global_result");
  EXPECT_EQ(result.goal_zones, goal->goal_zones);
  EXPECT_EQ(result.extra_zones, goal->extra_zones);
  EXPECT_EQ(result.planner_param_a, 11);
  EXPECT_EQ(result.planner_param_b, -12);
  EXPECT_TRUE(result.path_segments.empty());
  EXPECT_TRUE(std::regex_match(
    result.plan_id,
    std::regex("[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12}")))
    << result.plan_id;

  // Covered points reach both planners on the floor.
  const PointList flat{point32(1.5F, 2.5F), point32(-1.0F, 0.25F)};
  EXPECT_EQ(this->template entry<PointList>("covered_point_input_global"), flat);
  EXPECT_EQ(this->template entry<PointList>("covered_point_input_local"), flat);
  // Coverage goals are zones, not poses.
  EXPECT_FALSE(this->hasEntry("new_goal"));
  EXPECT_FALSE(this->hasEntry("goal_poses"));
  EXPECT_FALSE(this->hasEntry("goal_mode"));
  EXPECT_FALSE(this->hasEntry("current_goal"));

  EXPECT_EQ(task.nextGoal(), TaskState::COMPLETED);
  EXPECT_EQ(this->template entry<int>("run_mode"), -1);

  const std::vector<std::string> expected{
    "goal_zones[0].points.size()=4",
    "receive goal_zones,goal_zones size is 2",
    this->className() + " run_mode=" + std::to_string(this->runMode()) + ", actionid 7",
    "nextGoal All tasks completed,queue empty",
  };
  auto lines = this->linesAt(spdlog::level::info);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), this->className() + "::updateQueue");
  lines.erase(lines.begin());
  EXPECT_EQ(lines, expected);
}

TYPED_TEST(CoverageTaskTest, JobWithoutZonesStillRunsTheTreeOnce)
{
  auto goal = this->coverageGoal(this->runMode());
  goal->goal_zones.clear();
  goal->extra_zones.clear();
  TypeParam task(this->blackboard_, &this->tree_);
  ASSERT_TRUE(task.updateQueue(goal));
  EXPECT_FALSE(this->template entry<bool>("path_updated"));
  EXPECT_TRUE(this->logged(spdlog::level::info, "receive goal_zones,goal_zones size is 0"));

  ASSERT_EQ(task.nextGoal(), TaskState::CONTINUE);
  const auto result = this->template entry<GlobalPlanningResult>("global_result");
  EXPECT_TRUE(result.goal_zones.empty());
  EXPECT_TRUE(result.extra_zones.empty());
  EXPECT_EQ(task.nextGoal(), TaskState::COMPLETED);
}

TYPED_TEST(CoverageTaskTest, EveryJobGetsItsOwnPlanId)
{
  std::vector<std::string> plan_ids;
  for (int job = 0; job < 3; ++job) {
    TypeParam task(this->blackboard_, &this->tree_);
    ASSERT_TRUE(task.updateQueue(this->coverageGoal(this->runMode())));
    ASSERT_EQ(task.nextGoal(), TaskState::CONTINUE);
    plan_ids.push_back(this->template entry<GlobalPlanningResult>("global_result").plan_id);
  }
  EXPECT_NE(plan_ids[0], plan_ids[1]);
  EXPECT_NE(plan_ids[1], plan_ids[2]);
  EXPECT_NE(plan_ids[0], plan_ids[2]);
}

}  // namespace
}  // namespace bt_navigator::test

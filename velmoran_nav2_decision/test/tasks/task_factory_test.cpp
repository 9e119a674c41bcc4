#include <functional>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

#include <gtest/gtest.h>

#include <std_msgs/msg/int16.hpp>
#include <std_msgs/msg/int32.hpp>
#include <velmoran_nav2_protocol/msg/movement_constraint.hpp>

#include "robot_task_factory.hpp"
#include "task_test_support.hpp"
#include "zero_velocity_probe.hpp"

namespace bt_navigator::test
{
namespace
{

using MovementConstraint = velmoran_nav2_protocol::msg::MovementConstraint;

struct RunModeRow
{
  int32_t run_mode;
  const char * name;
  std::type_index task_class;
};

const std::vector<RunModeRow> & runModeTable()
{
  static const std::vector<RunModeRow> rows{
    {-1, "NONE", typeid(NavigationTask)},
    {0, "NAVIGATION", typeid(NavigationTask)},
    {1, "STATICHUICOVERAGE", typeid(StaticCoverageTask)},
    {2, "CHARGE", typeid(CombNavTask)},
    {3, "NAVIGATIONPID", typeid(NavigationTask)},
    {100, "LIFT", typeid(LiftNavTask)},
    {101, "LIFT_OUT", typeid(LiftOutTask)},
    {102, "LIFT_WAITING_AREA", typeid(LiftOutTask)},
    {200, "NAVIGATION4DYNAMICCOVERAGE", typeid(NavigationForDynamicCoverageTask)},
    {201, "DYNAMICCOVERAGE", typeid(DynamicCoverageTask)},
    {202, "DYNAMICCOVERAGERESIDUESZONES", typeid(NavigationForDynamicCoverageTask)},
    {300, "NAVIGATION4WATERUPTAKE", typeid(NavigationTask)},
    {400, "FIXED_DISTANCE_NAVIGATION", typeid(NavigationFixedDistanceTask)},
    {401, "NAVIGATION_POSE_OFFSET", typeid(NavigationPoseOffsetTask)},
    {402, "NAVIGATION_LATERAL_MOVE", typeid(NavigationLateralMoveTask)},
    {403, "NAVIGATION_LATERAL_MOVE_WITH_ODOM", typeid(NavigationLateralMoveTask)},
    {405, "NAVIGATION_WITH_ARM", typeid(NavigationWithArmTask)},
    {500, "NARROW_SPACE_NAVIGATION", typeid(NavigationTask)},
    {501, "ENTER_CUBICLE", typeid(NavigationTask)},
    {502, "EXIT_CUBICLE", typeid(NavigationTask)},
    {503, "NAVIGATION_ALLOW_HORIZONTAL_MOVEMENT", typeid(NavigationTask)},
    {504, "NAVIGATION_PRECISE_GOAL_REACHING", typeid(NavigationTask)},
    {601, "STATICGONGCOVERAGE", typeid(StaticCoverageTask)},
  };
  return rows;
}

class TaskFactoryTest : public TaskTest
{
protected:
  std::shared_ptr<RobotTaskBase> create(const std::shared_ptr<Goal> & goal)
  {
    return RobotTaskFactory::createTask(goal, blackboard_, &tree_);
  }

  std::shared_ptr<RobotTaskBase> create(int32_t run_mode) { return create(makeGoal(run_mode)); }
};

TEST_F(TaskFactoryTest, EveryRunModeGetsItsTaskClassAndLogsItsName)
{
  for (const auto & row : runModeTable()) {
    SCOPED_TRACE(row.name);
    const auto task = create(row.run_mode);
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(std::type_index(typeid(*task)), row.task_class);
    EXPECT_TRUE(logged(spdlog::level::info, std::string("run_mode is ") + row.name));
  }
  EXPECT_EQ(linesAt(spdlog::level::info).size(), runModeTable().size());
  for (const auto & line : log_->lines()) {
    EXPECT_EQ(line.file, "./include/robot_task_factory.hpp");
    EXPECT_EQ(line.function, "createTask");
  }
}

TEST_F(TaskFactoryTest, UnknownRunModesGetANavigationTaskLoggedAsUnknown)
{
  for (const int32_t run_mode : {4, 404, 700, -2}) {
    SCOPED_TRACE(run_mode);
    const auto task = create(run_mode);
    EXPECT_EQ(std::type_index(typeid(*task)), std::type_index(typeid(NavigationTask)));
  }
  const std::vector<std::string> expected(4, "run_mode is UNKNOWN");
  EXPECT_EQ(linesAt(spdlog::level::info), expected);
}

TEST_F(TaskFactoryTest, MovementConstraintFollowsTheRunMode)
{
  struct Row
  {
    int32_t run_mode;
    bool first, second, third;
  };
  const std::vector<Row> rows{
    {200, false, true, true},  {500, false, true, true}, {405, true, false, true},
    {501, true, false, false}, {502, true, true, false}, {503, true, false, true},
    {0, true, true, true},     {202, true, true, true},  {-1, true, true, true},
    {404, true, true, true},
  };
  const auto task = create(Goal::NAVIGATION);
  for (const auto & row : rows) {
    SCOPED_TRACE(row.run_mode);
    task->setMovementConstraint(row.run_mode);
    const auto constraint = entry<MovementConstraint>("movement_constraint");
    EXPECT_EQ(constraint.first_constraint, row.first);
    EXPECT_EQ(constraint.second_constraint, row.second);
    EXPECT_EQ(constraint.third_constraint, row.third);
  }
}

TEST_F(TaskFactoryTest, MovementConstraintKeepsTheEntrysType)
{
  blackboard_->set<int>("movement_constraint", 1);
  EXPECT_THROW(create(Goal::NAVIGATION)->setMovementConstraint(0), BT::LogicError);
}

class StartTaskTest : public TaskFactoryTest
{
protected:
  TaskState start(const std::shared_ptr<RobotTaskBase> & task, const std::shared_ptr<Goal> & goal)
  {
    return task->startTask(
      goal, [this] { ++halts_; }, zero_velocity_.communicator());
  }

  int halts_{0};
  ZeroVelocityProbe zero_velocity_;
};

TEST_F(StartTaskTest, StopCommandStopsTheRobotAndBuildsNoQueue)
{
  auto goal = makeGoal(Goal::NAVIGATION, {poseAt(1.0, 2.0)});
  goal->command = Goal::COMMAND_STOP;
  const auto task = create(goal);

  EXPECT_EQ(start(task, goal), TaskState::FAILED);
  EXPECT_EQ(halts_, 1);
  EXPECT_EQ(zero_velocity_.count(), 1);
  EXPECT_FALSE(hasEntry("max_speed"));
  EXPECT_FALSE(hasEntry("run_mode"));
  EXPECT_EQ(task->runMode(), -1);
  EXPECT_EQ(task->nextGoal(), TaskState::COMPLETED);
}

TEST_F(StartTaskTest, KeepRunningCommandLeavesEverythingAlone)
{
  auto goal = makeGoal(Goal::NAVIGATION, {poseAt(1.0, 2.0)});
  goal->command = Goal::COMMAND_KEEP_RUNNING;
  const auto task = create(goal);

  EXPECT_EQ(start(task, goal), TaskState::CONTINUE);
  EXPECT_EQ(halts_, 1);
  EXPECT_FALSE(hasEntry("max_speed"));
  EXPECT_FALSE(hasEntry("run_mode"));
  EXPECT_EQ(task->runMode(), -1);
  EXPECT_EQ(zero_velocity_.count(), 0);
}

TEST_F(StartTaskTest, OtherCommandsHandTheFirstGoalToTheTree)
{
  for (const uint32_t command : {0U, 3U, 77U}) {
    SCOPED_TRACE(command);
    auto goal = makeGoal(Goal::NAVIGATION, {poseAt(1.0, 2.0), poseAt(3.0, 4.0)});
    goal->command = command;
    goal->max_speed = 0.75F;
    blackboard_->set<int>("number_recoveries", 5);
    const auto task = create(goal);

    EXPECT_EQ(start(task, goal), TaskState::SUCCEEDED);
    EXPECT_EQ(task->runMode(), Goal::NAVIGATION);
    EXPECT_EQ(entry<float>("max_speed"), 0.75F);
    EXPECT_EQ(entry<int>("number_recoveries"), 0);
    EXPECT_EQ(entry<int>("run_mode"), Goal::NAVIGATION);
    EXPECT_EQ(task->currentGoal()->index, 1);
  }
  EXPECT_EQ(halts_, 3);
  EXPECT_TRUE(logged(spdlog::level::info, "[TaskState] updateTask::max_speed is  0.75"));
  EXPECT_EQ(zero_velocity_.count(), 0);
}

TEST_F(StartTaskTest, EmptyQueueCompletesAndStopsTheRobot)
{
  const auto goal = makeGoal(Goal::NAVIGATION);
  const auto task = create(goal);

  EXPECT_EQ(start(task, goal), TaskState::COMPLETED);
  EXPECT_EQ(zero_velocity_.count(), 1);
  EXPECT_EQ(entry<int>("run_mode"), -1);
  EXPECT_FALSE(entry<bool>("path_updated"));
  EXPECT_TRUE(logged(spdlog::level::info, "nextGoal All tasks completed,queue empty"));
}

TEST_F(StartTaskTest, MissingHaltFunctionRaisesBeforeAnythingHappens)
{
  const auto goal = makeGoal(Goal::NAVIGATION, {poseAt(1.0, 2.0)});
  const auto task = create(goal);
  EXPECT_THROW(
    task->startTask(goal, RobotTaskBase::HaltFunction(), zero_velocity_.communicator()),
    std::bad_function_call);
  EXPECT_FALSE(hasEntry("max_speed"));
}

TEST_F(StartTaskTest, MaxSpeedKeepsItsDeclaredType)
{
  blackboard_->set<double>("max_speed", 1.0);
  const auto goal = makeGoal(Goal::NAVIGATION, {poseAt(1.0, 2.0)});
  EXPECT_THROW(start(create(goal), goal), BT::LogicError);
}

TEST_F(StartTaskTest, GoalModeIsCutTo16BitsWhileRunModeKeepsTheFullValue)
{
  // 0x18000: the low 16 bits are the smallest int16.
  const auto goal = makeGoal(0x18000, {poseAt(1.0, 2.0)});
  const auto task = create(goal);

  EXPECT_EQ(start(task, goal), TaskState::SUCCEEDED);
  EXPECT_EQ(entry<int>("run_mode"), 0x18000);
  EXPECT_EQ(entry<std_msgs::msg::Int16>("goal_mode").data, -32768);
  EXPECT_EQ(task->goalMode(), 0x18000);
}

}  // namespace
}  // namespace bt_navigator::test

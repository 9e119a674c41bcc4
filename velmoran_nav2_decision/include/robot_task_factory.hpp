#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "comb_nav_task.hpp"
#include "dynamic_coverage_task.hpp"
#include "lift_nav_task.hpp"
#include "lift_out_task.hpp"
#include "logging/logger.hpp"
#include "navigation_fixed_distance_task.hpp"
#include "navigation_for_dynamic_coverage_task.hpp"
#include "navigation_lateral_move_task.hpp"
#include "navigation_pose_offset_task.hpp"
#include "navigation_task.hpp"
#include "navigation_with_arm_task.hpp"
#include "robot_task_base.hpp"
#include "static_coverage_task.hpp"

namespace bt_navigator
{

/// Creates the task that serves a job's run mode.
class RobotTaskFactory
{
public:
  using Goal = RobotTaskBase::Goal;

  /// The task for `goal`'s run mode; a run mode without a task class of its own gets a
  /// NavigationTask.
  static std::shared_ptr<RobotTaskBase> createTask(
    const std::shared_ptr<const Goal> & goal, const BT::Blackboard::Ptr & blackboard,
    BT::Tree * tree)
  {
    LOG_INFO("run_mode is {}", runModeName(goal->run_mode));
    switch (goal->run_mode) {
      case Goal::STATICHUICOVERAGE:
      case Goal::STATICGONGCOVERAGE:
        return std::make_shared<StaticCoverageTask>(blackboard, tree);
      case Goal::CHARGE:
        return std::make_shared<CombNavTask>(blackboard, tree);
      case Goal::LIFT:
        return std::make_shared<LiftNavTask>(blackboard, tree);
      case Goal::LIFT_OUT:
      case Goal::LIFT_WAITING_AREA:
        return std::make_shared<LiftOutTask>(blackboard, tree);
      case Goal::NAVIGATION4DYNAMICCOVERAGE:
      case Goal::DYNAMICCOVERAGERESIDUESZONES:
        return std::make_shared<NavigationForDynamicCoverageTask>(blackboard, tree);
      case Goal::DYNAMICCOVERAGE:
        return std::make_shared<DynamicCoverageTask>(blackboard, tree);
      case Goal::FIXED_DISTANCE_NAVIGATION:
        return std::make_shared<NavigationFixedDistanceTask>(blackboard, tree);
      case Goal::NAVIGATION_POSE_OFFSET:
        return std::make_shared<NavigationPoseOffsetTask>(blackboard, tree);
      case Goal::NAVIGATION_LATERAL_MOVE:
      case Goal::NAVIGATION_LATERAL_MOVE_WITH_ODOM:
        return std::make_shared<NavigationLateralMoveTask>(blackboard, tree);
      case Goal::NAVIGATION_WITH_ARM:
        return std::make_shared<NavigationWithArmTask>(blackboard, tree);
      default:
        return std::make_shared<NavigationTask>(blackboard, tree);
    }
  }

  /// The name of a run mode, "UNKNOWN" for values that are none.
  static const std::string & runModeName(int32_t run_mode)
  {
    static const std::map<int32_t, std::string> names{
      {Goal::NONE, "NONE"},
      {Goal::NAVIGATION, "NAVIGATION"},
      {Goal::STATICHUICOVERAGE, "STATICHUICOVERAGE"},
      {Goal::CHARGE, "CHARGE"},
      {Goal::NAVIGATIONPID, "NAVIGATIONPID"},
      {Goal::LIFT, "LIFT"},
      {Goal::LIFT_OUT, "LIFT_OUT"},
      {Goal::LIFT_WAITING_AREA, "LIFT_WAITING_AREA"},
      {Goal::NAVIGATION4DYNAMICCOVERAGE, "NAVIGATION4DYNAMICCOVERAGE"},
      {Goal::DYNAMICCOVERAGE, "DYNAMICCOVERAGE"},
      {Goal::DYNAMICCOVERAGERESIDUESZONES, "DYNAMICCOVERAGERESIDUESZONES"},
      {Goal::NAVIGATION4WATERUPTAKE, "NAVIGATION4WATERUPTAKE"},
      {Goal::FIXED_DISTANCE_NAVIGATION, "FIXED_DISTANCE_NAVIGATION"},
      {Goal::NARROW_SPACE_NAVIGATION, "NARROW_SPACE_NAVIGATION"},
      {Goal::ENTER_CUBICLE, "ENTER_CUBICLE"},
      {Goal::EXIT_CUBICLE, "EXIT_CUBICLE"},
      {Goal::NAVIGATION_ALLOW_HORIZONTAL_MOVEMENT, "NAVIGATION_ALLOW_HORIZONTAL_MOVEMENT"},
      {Goal::NAVIGATION_PRECISE_GOAL_REACHING, "NAVIGATION_PRECISE_GOAL_REACHING"},
      {Goal::STATICGONGCOVERAGE, "STATICGONGCOVERAGE"},
      {Goal::NAVIGATION_POSE_OFFSET, "NAVIGATION_POSE_OFFSET"},
      {Goal::NAVIGATION_LATERAL_MOVE, "NAVIGATION_LATERAL_MOVE"},
      {Goal::NAVIGATION_LATERAL_MOVE_WITH_ODOM, "NAVIGATION_LATERAL_MOVE_WITH_ODOM"},
      {Goal::NAVIGATION_WITH_ARM, "NAVIGATION_WITH_ARM"},
    };
    static const std::string unknown = "UNKNOWN";
    const auto name = names.find(run_mode);
    return name != names.end() ? name->second : unknown;
  }
};

}  // namespace bt_navigator

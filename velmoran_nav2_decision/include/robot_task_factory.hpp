#pragma once

#include <memory>

#include <velmoran_protocol/run_modes.hpp>

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
    LOG_INFO("run_mode is {}", velmoran_protocol::runModeName(goal->run_mode));
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
};

}  // namespace bt_navigator

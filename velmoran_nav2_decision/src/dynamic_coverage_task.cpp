#include "dynamic_coverage_task.hpp"

#include "logging/logger.hpp"

namespace bt_navigator
{

bool DynamicCoverageTask::updateQueue(const GoalConstPtr & goal)
{
  LOG_INFO("DynamicCoverageTask::updateQueue");
  return acceptCoverageGoal(*goal);
}

TaskState DynamicCoverageTask::nextGoal()
{
  if (!claimPendingZones()) {
    return TaskState::COMPLETED;
  }
  LOG_INFO("DynamicCoverageTask run_mode={}, actionid {}", goal_mode_, action_id_);
  publishCoverageGoal(base_robot_.generateUuid());
  return TaskState::CONTINUE;
}

}  // namespace bt_navigator

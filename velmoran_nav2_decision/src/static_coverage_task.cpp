#include "static_coverage_task.hpp"

#include "logging/logger.hpp"

namespace bt_navigator
{

bool StaticCoverageTask::updateQueue(const GoalConstPtr & goal)
{
  LOG_INFO("StaticCoverageTask::updateQueue");
  return acceptCoverageGoal(*goal);
}

TaskState StaticCoverageTask::nextGoal()
{
  if (!claimPendingZones()) {
    return TaskState::COMPLETED;
  }
  LOG_INFO("StaticCoverageTask run_mode={}, actionid {}", goal_mode_, action_id_);
  publishCoverageGoal(base_robot_.generateUuid());
  return TaskState::CONTINUE;
}

void StaticCoverageTask::exit() {}

}  // namespace bt_navigator

#pragma once

namespace behavior_tree
{
/// One vocabulary for the answers of a navigation task, of the tick callback
/// that BehaviorTreeEngine::run calls, and of run itself. The numbers are part
/// of the contract: run answers 0, 1 or 2.
enum class TaskState : int {
  SUCCEEDED = 0,
  FAILED = 1,
  CANCELED = 2,
  COMPLETED = 3,
  CONTINUE = 5,
  ABORTED = 6,
};

}  // namespace behavior_tree

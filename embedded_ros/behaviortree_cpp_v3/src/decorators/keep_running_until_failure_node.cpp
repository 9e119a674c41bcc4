#include "behaviortree_cpp_v3/decorators/keep_running_until_failure_node.h"

namespace BT
{
NodeStatus KeepRunningUntilFailureNode::tick()
{
  setStatus(NodeStatus::RUNNING);
  switch (child()->executeTick()) {
    case NodeStatus::FAILURE:
      haltChild();
      return NodeStatus::FAILURE;
    case NodeStatus::SUCCESS:
      haltChild();
      return NodeStatus::RUNNING;
    case NodeStatus::RUNNING:
      return NodeStatus::RUNNING;
    case NodeStatus::IDLE:
      break;
  }
  throw LogicError("Name: [", name(), "], a child node must never return IDLE");
}

}  // namespace BT

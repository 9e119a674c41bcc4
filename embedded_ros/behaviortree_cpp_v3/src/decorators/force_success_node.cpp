#include "behaviortree_cpp_v3/decorators/force_success_node.h"

namespace BT
{
NodeStatus ForceSuccessNode::tick()
{
  setStatus(NodeStatus::RUNNING);
  const NodeStatus child_status = child()->executeTick();
  if (child_status == NodeStatus::IDLE) {
    throw LogicError("Name: [", name(), "], a child node must never return IDLE");
  }
  return child_status == NodeStatus::RUNNING ? NodeStatus::RUNNING : NodeStatus::SUCCESS;
}

}  // namespace BT

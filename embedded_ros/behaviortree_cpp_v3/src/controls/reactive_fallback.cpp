#include "behaviortree_cpp_v3/controls/reactive_fallback.h"

namespace BT
{
NodeStatus ReactiveFallback::tick()
{
  setStatus(NodeStatus::RUNNING);
  for (size_t index = 0; index < childrenCount(); ++index) {
    const NodeStatus child_status = children_nodes_[index]->executeTick();
    switch (child_status) {
      case NodeStatus::RUNNING:
        for (size_t i = index + 1; i < childrenCount(); ++i) {
          haltChild(i);
        }
        return NodeStatus::RUNNING;
      case NodeStatus::SUCCESS:
        haltChildren();
        return NodeStatus::SUCCESS;
      case NodeStatus::FAILURE:
        break;
      case NodeStatus::IDLE:
        throw LogicError("A child node must never return IDLE");
    }
  }
  haltChildren();
  return NodeStatus::FAILURE;
}

}  // namespace BT

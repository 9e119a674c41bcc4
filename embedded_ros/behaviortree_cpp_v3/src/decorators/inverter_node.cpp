#include "behaviortree_cpp_v3/decorators/inverter_node.h"

namespace BT
{
NodeStatus InverterNode::tick()
{
  setStatus(NodeStatus::RUNNING);
  switch (child()->executeTick()) {
    case NodeStatus::SUCCESS:
      return NodeStatus::FAILURE;
    case NodeStatus::FAILURE:
      return NodeStatus::SUCCESS;
    case NodeStatus::RUNNING:
      return NodeStatus::RUNNING;
    case NodeStatus::IDLE:
      break;
  }
  throw LogicError("Name: [", name(), "], a child node must never return IDLE");
}

}  // namespace BT

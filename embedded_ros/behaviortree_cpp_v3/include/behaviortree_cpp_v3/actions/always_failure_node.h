#ifndef BEHAVIORTREE_CPP_V3_ACTIONS_ALWAYS_FAILURE_NODE_H
#define BEHAVIORTREE_CPP_V3_ACTIONS_ALWAYS_FAILURE_NODE_H

#include <string>

#include "behaviortree_cpp_v3/action_node.h"

namespace BT
{
class AlwaysFailureNode : public SyncActionNode
{
public:
  explicit AlwaysFailureNode(const std::string & name) : SyncActionNode(name, {})
  {
    setRegistrationID("AlwaysFailure");
  }

private:
  NodeStatus tick() override { return NodeStatus::FAILURE; }
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_ACTIONS_ALWAYS_FAILURE_NODE_H

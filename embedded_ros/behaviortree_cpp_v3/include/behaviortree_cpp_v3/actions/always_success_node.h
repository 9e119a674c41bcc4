#ifndef BEHAVIORTREE_CPP_V3_ACTIONS_ALWAYS_SUCCESS_NODE_H
#define BEHAVIORTREE_CPP_V3_ACTIONS_ALWAYS_SUCCESS_NODE_H

#include <string>

#include "behaviortree_cpp_v3/action_node.h"

namespace BT
{
class AlwaysSuccessNode : public SyncActionNode
{
public:
  explicit AlwaysSuccessNode(const std::string & name) : SyncActionNode(name, {})
  {
    setRegistrationID("AlwaysSuccess");
  }

private:
  NodeStatus tick() override { return NodeStatus::SUCCESS; }
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_ACTIONS_ALWAYS_SUCCESS_NODE_H

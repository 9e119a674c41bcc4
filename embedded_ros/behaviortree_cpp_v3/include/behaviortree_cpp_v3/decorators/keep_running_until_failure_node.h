#ifndef BEHAVIORTREE_CPP_V3_DECORATORS_KEEP_RUNNING_UNTIL_FAILURE_NODE_H
#define BEHAVIORTREE_CPP_V3_DECORATORS_KEEP_RUNNING_UNTIL_FAILURE_NODE_H

#include <string>

#include "behaviortree_cpp_v3/decorator_node.h"

namespace BT
{
/// RUNNING while the child succeeds (the child starts again on the next
/// tick); FAILURE when the child fails.
class KeepRunningUntilFailureNode : public DecoratorNode
{
public:
  explicit KeepRunningUntilFailureNode(const std::string & name) : DecoratorNode(name, {})
  {
    setRegistrationID("KeepRunningUntilFailure");
  }

private:
  NodeStatus tick() override;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_DECORATORS_KEEP_RUNNING_UNTIL_FAILURE_NODE_H

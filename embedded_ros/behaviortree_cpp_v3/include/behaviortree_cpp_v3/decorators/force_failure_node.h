#ifndef BEHAVIORTREE_CPP_V3_DECORATORS_FORCE_FAILURE_NODE_H
#define BEHAVIORTREE_CPP_V3_DECORATORS_FORCE_FAILURE_NODE_H

#include <string>

#include "behaviortree_cpp_v3/decorator_node.h"

namespace BT
{
/// FAILURE whenever the child completes, whatever its result.
class ForceFailureNode : public DecoratorNode
{
public:
  explicit ForceFailureNode(const std::string & name) : DecoratorNode(name, {})
  {
    setRegistrationID("ForceFailure");
  }

private:
  NodeStatus tick() override;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_DECORATORS_FORCE_FAILURE_NODE_H

#ifndef BEHAVIORTREE_CPP_V3_DECORATORS_FORCE_SUCCESS_NODE_H
#define BEHAVIORTREE_CPP_V3_DECORATORS_FORCE_SUCCESS_NODE_H

#include <string>

#include "behaviortree_cpp_v3/decorator_node.h"

namespace BT
{
/// SUCCESS whenever the child completes, whatever its result.
class ForceSuccessNode : public DecoratorNode
{
public:
  explicit ForceSuccessNode(const std::string & name) : DecoratorNode(name, {})
  {
    setRegistrationID("ForceSuccess");
  }

private:
  NodeStatus tick() override;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_DECORATORS_FORCE_SUCCESS_NODE_H

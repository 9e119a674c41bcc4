#ifndef BEHAVIORTREE_CPP_V3_DECORATORS_INVERTER_NODE_H
#define BEHAVIORTREE_CPP_V3_DECORATORS_INVERTER_NODE_H

#include <string>

#include "behaviortree_cpp_v3/decorator_node.h"

namespace BT
{
/// SUCCESS when the child failed, FAILURE when it succeeded.
class InverterNode : public DecoratorNode
{
public:
  explicit InverterNode(const std::string & name) : DecoratorNode(name, {})
  {
    setRegistrationID("Inverter");
  }

private:
  NodeStatus tick() override;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_DECORATORS_INVERTER_NODE_H

#ifndef BEHAVIORTREE_CPP_V3_CONTROLS_REACTIVE_SEQUENCE_H
#define BEHAVIORTREE_CPP_V3_CONTROLS_REACTIVE_SEQUENCE_H

#include <string>

#include "behaviortree_cpp_v3/control_node.h"

namespace BT
{
/// Ticks all children from the first one on every tick. A RUNNING child halts
/// the children after it; a failure halts all children.
class ReactiveSequence : public ControlNode
{
public:
  explicit ReactiveSequence(const std::string & name) : ControlNode(name, {}) {}

private:
  NodeStatus tick() override;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_CONTROLS_REACTIVE_SEQUENCE_H

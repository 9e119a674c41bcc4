#ifndef BEHAVIORTREE_CPP_V3_CONTROLS_REACTIVE_FALLBACK_H
#define BEHAVIORTREE_CPP_V3_CONTROLS_REACTIVE_FALLBACK_H

#include <string>

#include "behaviortree_cpp_v3/control_node.h"

namespace BT
{
/// Ticks all children from the first one on every tick until one does not
/// fail. A RUNNING child halts the children after it; a success halts all.
class ReactiveFallback : public ControlNode
{
public:
  explicit ReactiveFallback(const std::string & name) : ControlNode(name, {}) {}

private:
  NodeStatus tick() override;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_CONTROLS_REACTIVE_FALLBACK_H

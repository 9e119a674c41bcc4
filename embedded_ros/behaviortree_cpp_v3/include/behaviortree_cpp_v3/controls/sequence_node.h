#ifndef BEHAVIORTREE_CPP_V3_CONTROLS_SEQUENCE_NODE_H
#define BEHAVIORTREE_CPP_V3_CONTROLS_SEQUENCE_NODE_H

#include <string>

#include "behaviortree_cpp_v3/control_node.h"

namespace BT
{
/// Ticks the children in order while they succeed. A RUNNING child is ticked
/// again on the next tick without re-ticking the ones before it; a failure halts
/// all children and starts over from the first one.
class SequenceNode : public ControlNode
{
public:
  explicit SequenceNode(const std::string & name);

  ~SequenceNode() override = default;

  void halt() override;

private:
  size_t current_child_idx_ = 0;

  NodeStatus tick() override;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_CONTROLS_SEQUENCE_NODE_H

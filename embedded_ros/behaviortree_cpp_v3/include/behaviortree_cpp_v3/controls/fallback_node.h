#ifndef BEHAVIORTREE_CPP_V3_CONTROLS_FALLBACK_NODE_H
#define BEHAVIORTREE_CPP_V3_CONTROLS_FALLBACK_NODE_H

#include <string>

#include "behaviortree_cpp_v3/control_node.h"

namespace BT
{
/// Ticks the children in order until one succeeds. A RUNNING child is ticked
/// again on the next tick; FAILURE when every child failed.
class FallbackNode : public ControlNode
{
public:
  explicit FallbackNode(const std::string & name);

  ~FallbackNode() override = default;

  void halt() override;

private:
  size_t current_child_idx_ = 0;

  NodeStatus tick() override;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_CONTROLS_FALLBACK_NODE_H

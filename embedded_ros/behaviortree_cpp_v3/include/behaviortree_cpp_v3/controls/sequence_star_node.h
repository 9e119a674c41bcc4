#ifndef BEHAVIORTREE_CPP_V3_CONTROLS_SEQUENCE_STAR_NODE_H
#define BEHAVIORTREE_CPP_V3_CONTROLS_SEQUENCE_STAR_NODE_H

#include <string>

#include "behaviortree_cpp_v3/control_node.h"

namespace BT
{
/// Like SequenceNode, but after a failure the next tick resumes at the child
/// that failed instead of the first one.
class SequenceStarNode : public ControlNode
{
public:
  explicit SequenceStarNode(const std::string & name);

  ~SequenceStarNode() override = default;

  void halt() override;

private:
  size_t current_child_idx_ = 0;

  NodeStatus tick() override;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_CONTROLS_SEQUENCE_STAR_NODE_H

#include "behaviortree_cpp_v3/controls/reactive_sequence.h"

#include "tick_children_while.h"

namespace BT
{
NodeStatus ReactiveSequence::tick()
{
  setStatus(NodeStatus::RUNNING);
  // Every tick starts again at the first child.
  size_t index = 0;
  const NodeStatus status = detail::tickChildrenWhile(children_nodes_, index, NodeStatus::SUCCESS);
  if (status == NodeStatus::RUNNING) {
    for (size_t i = index + 1; i < childrenCount(); ++i) {
      haltChild(i);
    }
  } else {
    haltChildren();
  }
  return status;
}

}  // namespace BT

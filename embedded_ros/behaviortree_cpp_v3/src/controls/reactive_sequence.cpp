#include "behaviortree_cpp_v3/controls/reactive_sequence.h"

#include "child_sweep.h"

namespace BT
{
NodeStatus ReactiveSequence::tick()
{
  setStatus(NodeStatus::RUNNING);
  return detail::tickReactively(*this, NodeStatus::SUCCESS);
}

}  // namespace BT

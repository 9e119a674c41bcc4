#include "behaviortree_cpp_v3/controls/reactive_fallback.h"

#include "child_sweep.h"

namespace BT
{
NodeStatus ReactiveFallback::tick()
{
  setStatus(NodeStatus::RUNNING);
  return detail::tickReactively(*this, NodeStatus::FAILURE);
}

}  // namespace BT

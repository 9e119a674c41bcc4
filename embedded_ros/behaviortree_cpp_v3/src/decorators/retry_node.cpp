#include "behaviortree_cpp_v3/decorators/retry_node.h"

namespace BT
{
RetryNode::RetryNode(const std::string & name, int NTries)
: DecoratorNode(name, {}), max_attempts_(NTries), read_parameter_from_ports_(false)
{
  setRegistrationID("RetryUntilSuccessful");
}

RetryNode::RetryNode(const std::string & name, const NodeConfiguration & config)
: DecoratorNode(name, config), max_attempts_(0), read_parameter_from_ports_(true)
{
}

void RetryNode::halt()
{
  try_count_ = 0;
  DecoratorNode::halt();
}

NodeStatus RetryNode::tick()
{
  if (read_parameter_from_ports_ && !getInput(NUM_ATTEMPTS, max_attempts_)) {
    throw RuntimeError("Missing parameter [", NUM_ATTEMPTS, "] in RetryNode");
  }

  setStatus(NodeStatus::RUNNING);
  while (try_count_ < max_attempts_ || max_attempts_ == -1) {
    switch (child_node_->executeTick()) {
      case NodeStatus::SUCCESS:
        try_count_ = 0;
        haltChild();
        return NodeStatus::SUCCESS;
      case NodeStatus::FAILURE:
        ++try_count_;
        haltChild();
        break;
      case NodeStatus::RUNNING:
        return NodeStatus::RUNNING;
      case NodeStatus::IDLE:
        throw LogicError("A child node must never return IDLE");
    }
  }
  try_count_ = 0;
  return NodeStatus::FAILURE;
}

}  // namespace BT

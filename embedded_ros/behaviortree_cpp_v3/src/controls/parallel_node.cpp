#include "behaviortree_cpp_v3/controls/parallel_node.h"

#include <algorithm>

namespace BT
{
ParallelNode::ParallelNode(const std::string & name, int success_threshold, int failure_threshold)
: ControlNode(name, {}),
  success_threshold_(success_threshold),
  failure_threshold_(failure_threshold),
  read_parameter_from_ports_(false)
{
  setRegistrationID("Parallel");
}

ParallelNode::ParallelNode(const std::string & name, const NodeConfiguration & config)
: ControlNode(name, config),
  success_threshold_(1),
  failure_threshold_(1),
  read_parameter_from_ports_(true)
{
}

NodeStatus ParallelNode::tick()
{
  if (read_parameter_from_ports_) {
    if (!getInput(THRESHOLD_SUCCESS, success_threshold_)) {
      throw RuntimeError("Missing parameter [", THRESHOLD_SUCCESS, "] in ParallelNode");
    }
    if (!getInput(THRESHOLD_FAILURE, failure_threshold_)) {
      throw RuntimeError("Missing parameter [", THRESHOLD_FAILURE, "] in ParallelNode");
    }
  }

  const size_t children_count = childrenCount();
  if (children_count < successThreshold()) {
    throw LogicError("Number of children is less than threshold. Can never succeed.");
  }
  if (children_count < failureThreshold()) {
    throw LogicError("Number of children is less than threshold. Can never fail.");
  }

  setStatus(NodeStatus::RUNNING);
  size_t success_count = 0;
  size_t failure_count = 0;
  for (size_t i = 0; i < children_count; ++i) {
    TreeNode * child_node = children_nodes_[i];
    // A completed child keeps its result until the whole node completes.
    const bool completed_before = skip_list_.count(i) != 0;
    const NodeStatus child_status =
      completed_before ? child_node->status() : child_node->executeTick();
    switch (child_status) {
      case NodeStatus::SUCCESS:
        skip_list_.insert(i);
        if (++success_count == successThreshold()) {
          skip_list_.clear();
          haltChildren();
          return NodeStatus::SUCCESS;
        }
        break;
      case NodeStatus::FAILURE:
        skip_list_.insert(i);
        ++failure_count;
        if (
          failure_count > children_count - successThreshold() ||
          failure_count == failureThreshold()) {
          skip_list_.clear();
          haltChildren();
          return NodeStatus::FAILURE;
        }
        break;
      case NodeStatus::RUNNING:
        break;
      case NodeStatus::IDLE:
        throw LogicError("A child node must never return IDLE");
    }
  }
  return NodeStatus::RUNNING;
}

void ParallelNode::halt()
{
  skip_list_.clear();
  ControlNode::halt();
}

size_t ParallelNode::successThreshold() const
{
  const auto count = static_cast<int>(childrenCount());
  return static_cast<size_t>(
    success_threshold_ < 0 ? std::max(count + success_threshold_ + 1, 0) : success_threshold_);
}

size_t ParallelNode::failureThreshold() const
{
  const auto count = static_cast<int>(childrenCount());
  return static_cast<size_t>(
    failure_threshold_ < 0 ? std::max(count + failure_threshold_ + 1, 0) : failure_threshold_);
}

void ParallelNode::setSuccessThreshold(int threshold_M) { success_threshold_ = threshold_M; }

void ParallelNode::setFailureThreshold(int threshold_M) { failure_threshold_ = threshold_M; }

}  // namespace BT

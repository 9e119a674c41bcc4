#ifndef BEHAVIORTREE_CPP_V3_DECORATORS_TIMEOUT_NODE_H
#define BEHAVIORTREE_CPP_V3_DECORATORS_TIMEOUT_NODE_H

#include <chrono>
#include <string>

#include "behaviortree_cpp_v3/decorator_node.h"

namespace BT
{
/// Halts a child that is still RUNNING msec milliseconds after this node was
/// first ticked, and then answers FAILURE. Otherwise answers like the child.
///
/// The deadline is checked when the node is ticked: the first tick at or after
/// the deadline halts the child and fails, however rarely the tree is ticked.
/// msec 0 means no time limit.
template <
  typename ClockT = std::chrono::steady_clock,
  typename DurationT = std::chrono::steady_clock::duration>
class TimeoutNode : public DecoratorNode
{
public:
  TimeoutNode(const std::string & name, unsigned milliseconds)
  : DecoratorNode(name, {}), msec_(milliseconds), read_parameter_from_ports_(false)
  {
    setRegistrationID("Timeout");
  }

  TimeoutNode(const std::string & name, const NodeConfiguration & config)
  : DecoratorNode(name, config), msec_(0), read_parameter_from_ports_(true)
  {
  }

  ~TimeoutNode() override = default;

  static PortsList providedPorts()
  {
    return {InputPort<unsigned>(
      "msec", "After a certain amount of time, halt() the child if it is still running.")};
  }

  void halt() override
  {
    timeout_started_ = false;
    DecoratorNode::halt();
  }

private:
  NodeStatus tick() override
  {
    if (read_parameter_from_ports_ && !getInput("msec", msec_)) {
      throw RuntimeError("Missing parameter [msec] in TimeoutNode");
    }
    if (!timeout_started_) {
      timeout_started_ = true;
      setStatus(NodeStatus::RUNNING);
      deadline_ =
        ClockT::now() + std::chrono::duration_cast<DurationT>(std::chrono::milliseconds(msec_));
    } else if (msec_ > 0 && ClockT::now() >= deadline_) {
      timeout_started_ = false;
      haltChild();
      return NodeStatus::FAILURE;
    }

    const NodeStatus child_status = child()->executeTick();
    if (child_status != NodeStatus::RUNNING) {
      timeout_started_ = false;
    }
    return child_status;
  }

  unsigned msec_;
  bool read_parameter_from_ports_;
  bool timeout_started_ = false;
  std::chrono::time_point<ClockT, DurationT> deadline_;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_DECORATORS_TIMEOUT_NODE_H

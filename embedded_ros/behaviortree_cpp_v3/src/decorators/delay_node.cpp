#include "behaviortree_cpp_v3/decorators/delay_node.h"

namespace BT
{
DelayNode::DelayNode(const std::string & name, unsigned milliseconds)
: DecoratorNode(name, {}), msec_(milliseconds), read_parameter_from_ports_(false)
{
  setRegistrationID("Delay");
}

DelayNode::DelayNode(const std::string & name, const NodeConfiguration & config)
: DecoratorNode(name, config), msec_(0), read_parameter_from_ports_(true)
{
}

DelayNode::~DelayNode() { timer_.cancelAll(); }

void DelayNode::halt()
{
  delay_started_ = false;
  timer_.cancelAll();
  DecoratorNode::halt();
}

NodeStatus DelayNode::tick()
{
  if (read_parameter_from_ports_ && !getInput("delay_msec", msec_)) {
    throw RuntimeError("Missing parameter [delay_msec] in DelayNode");
  }
  if (!delay_started_) {
    delay_started_ = true;
    delay_complete_.store(false);
    setStatus(NodeStatus::RUNNING);
    timer_.add(std::chrono::milliseconds(msec_), [this](bool aborted) {
      if (!aborted) {
        delay_complete_.store(true);
        emitStateChanged();
      }
    });
  }
  if (!delay_complete_.load()) {
    return NodeStatus::RUNNING;
  }
  const NodeStatus child_status = child()->executeTick();
  if (child_status != NodeStatus::RUNNING) {
    delay_started_ = false;
  }
  return child_status;
}

}  // namespace BT

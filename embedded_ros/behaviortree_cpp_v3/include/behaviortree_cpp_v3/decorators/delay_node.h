#ifndef BEHAVIORTREE_CPP_V3_DECORATORS_DELAY_NODE_H
#define BEHAVIORTREE_CPP_V3_DECORATORS_DELAY_NODE_H

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "behaviortree_cpp_v3/decorator_node.h"
#include "behaviortree_cpp_v3/decorators/timer_queue.h"

namespace BT
{
/// Answers RUNNING for delay_msec milliseconds after its first tick, then ticks the child and
/// answers like it. A timer wakes the thread sleeping in Tree::sleep() when the delay is over.
///
/// <Delay delay_msec="5000"><KeepYourBreath/></Delay>
class DelayNode : public DecoratorNode
{
public:
  DelayNode(const std::string & name, unsigned milliseconds);

  DelayNode(const std::string & name, const NodeConfiguration & config);

  ~DelayNode() override;

  static PortsList providedPorts()
  {
    return {InputPort<unsigned>("delay_msec", "Tick the child after a few milliseconds")};
  }

  void halt() override;

private:
  NodeStatus tick() override;

  TimerQueue<> timer_;
  bool delay_started_ = false;
  std::atomic_bool delay_complete_{false};
  unsigned msec_;
  bool read_parameter_from_ports_;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_DECORATORS_DELAY_NODE_H

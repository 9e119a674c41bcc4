#ifndef BEHAVIORTREE_CPP_V3_DECORATORS_REPEAT_NODE_H
#define BEHAVIORTREE_CPP_V3_DECORATORS_REPEAT_NODE_H

#include <string>

#include "behaviortree_cpp_v3/decorator_node.h"

namespace BT
{
/// Ticks a succeeding child again, num_cycles times in all (-1: without limit).
/// FAILURE as soon as the child fails, SUCCESS after the last cycle.
class RepeatNode : public DecoratorNode
{
public:
  RepeatNode(const std::string & name, int NTries);

  RepeatNode(const std::string & name, const NodeConfiguration & config);

  ~RepeatNode() override = default;

  static PortsList providedPorts()
  {
    return {InputPort<int>(
      NUM_CYCLES,
      "Repeat a successful child up to N times. "
      "Use -1 to create an infinite loop.")};
  }

private:
  int num_cycles_;
  int repeat_count_ = 0;
  bool read_parameter_from_ports_;
  static constexpr const char * NUM_CYCLES = "num_cycles";

  NodeStatus tick() override;

  void halt() override;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_DECORATORS_REPEAT_NODE_H

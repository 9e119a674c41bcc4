#ifndef BEHAVIORTREE_CPP_V3_DECORATORS_RETRY_NODE_H
#define BEHAVIORTREE_CPP_V3_DECORATORS_RETRY_NODE_H

#include <string>

#include "behaviortree_cpp_v3/decorator_node.h"

namespace BT
{
/// Ticks a failing child again, up to num_attempts times (-1: without limit).
/// SUCCESS as soon as the child succeeds, FAILURE when all attempts failed.
class RetryNode : public DecoratorNode
{
public:
  RetryNode(const std::string & name, int NTries);

  RetryNode(const std::string & name, const NodeConfiguration & config);

  ~RetryNode() override = default;

  static PortsList providedPorts()
  {
    return {InputPort<int>(
      NUM_ATTEMPTS,
      "Execute again a failing child up to N times. "
      "Use -1 to create an infinite loop.")};
  }

  void halt() override;

private:
  int max_attempts_;
  int try_count_ = 0;
  bool read_parameter_from_ports_;
  static constexpr const char * NUM_ATTEMPTS = "num_attempts";

  NodeStatus tick() override;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_DECORATORS_RETRY_NODE_H

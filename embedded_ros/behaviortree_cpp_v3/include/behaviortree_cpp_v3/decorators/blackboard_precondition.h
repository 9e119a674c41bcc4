#ifndef BEHAVIORTREE_CPP_V3_DECORATORS_BLACKBOARD_PRECONDITION_H
#define BEHAVIORTREE_CPP_V3_DECORATORS_BLACKBOARD_PRECONDITION_H

#include <string>
#include <type_traits>

#include "behaviortree_cpp_v3/decorator_node.h"

namespace BT
{
/// Ticks the child while ports "value_A" and "value_B", read as T, are equal. Otherwise halts a
/// running child and answers port "return_on_mismatch" (FAILURE when not given).
///
/// <BlackboardCheckInt value_A="{battery}" value_B="100" return_on_mismatch="SUCCESS">
///   <Charge/>
/// </BlackboardCheckInt>
template <typename T>
class BlackboardPreconditionNode : public DecoratorNode
{
public:
  BlackboardPreconditionNode(const std::string & name, const NodeConfiguration & config)
  : DecoratorNode(name, config)
  {
    if (std::is_same<T, int>::value) {
      setRegistrationID("BlackboardCheckInt");
    } else if (std::is_same<T, double>::value) {
      setRegistrationID("BlackboardCheckDouble");
    } else if (std::is_same<T, std::string>::value) {
      setRegistrationID("BlackboardCheckString");
    } else if (std::is_same<T, bool>::value) {
      setRegistrationID("BlackboardCheckBool");
    }
  }

  ~BlackboardPreconditionNode() override = default;

  static PortsList providedPorts()
  {
    return {
      InputPort("value_A"), InputPort("value_B"), InputPort<NodeStatus>("return_on_mismatch")};
  }

private:
  NodeStatus tick() override
  {
    T value_A{};
    T value_B{};
    setStatus(NodeStatus::RUNNING);
    if (getInput("value_A", value_A) && getInput("value_B", value_B) && value_B == value_A) {
      return child()->executeTick();
    }
    if (child()->status() == NodeStatus::RUNNING) {
      haltChild();
    }
    NodeStatus mismatch_status = NodeStatus::FAILURE;
    getInput("return_on_mismatch", mismatch_status);
    return mismatch_status;
  }
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_DECORATORS_BLACKBOARD_PRECONDITION_H

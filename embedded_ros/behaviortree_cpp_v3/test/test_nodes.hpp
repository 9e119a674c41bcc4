#ifndef BEHAVIORTREE_CPP_V3_TEST_TEST_NODES_HPP
#define BEHAVIORTREE_CPP_V3_TEST_TEST_NODES_HPP

#include <deque>
#include <string>

#include "behaviortree_cpp_v3/action_node.h"
#include "behaviortree_cpp_v3/condition_node.h"

namespace bt_test
{
/// An action that answers the results queued in `script`, then `result`, counting ticks and
/// halts.
class ScriptedAction : public BT::ActionNodeBase
{
public:
  explicit ScriptedAction(const std::string & name, BT::NodeStatus result = BT::NodeStatus::SUCCESS)
  : BT::ActionNodeBase(name, {}), result(result)
  {
  }

  void halt() override
  {
    ++halt_count;
    setStatus(BT::NodeStatus::IDLE);
  }

  BT::NodeStatus result;
  std::deque<BT::NodeStatus> script;
  int tick_count = 0;
  int halt_count = 0;

private:
  BT::NodeStatus tick() override
  {
    ++tick_count;
    if (script.empty()) {
      return result;
    }
    const BT::NodeStatus next = script.front();
    script.pop_front();
    return next;
  }
};

/// A condition that answers whatever the test sets.
class ScriptedCondition : public BT::ConditionNode
{
public:
  explicit ScriptedCondition(const std::string & name, bool holds = true)
  : BT::ConditionNode(name, {}), holds(holds)
  {
  }

  bool holds;
  int tick_count = 0;

private:
  BT::NodeStatus tick() override
  {
    ++tick_count;
    return holds ? BT::NodeStatus::SUCCESS : BT::NodeStatus::FAILURE;
  }
};

}  // namespace bt_test

#endif  // BEHAVIORTREE_CPP_V3_TEST_TEST_NODES_HPP

// Node types of a plug-in library, registered through BT_REGISTER_NODES.
#include <string>

#include "behaviortree_cpp_v3/action_node.h"
#include "behaviortree_cpp_v3/bt_factory.h"
#include "behaviortree_cpp_v3/condition_node.h"

namespace
{
/// RUNNING for "ticks" ticks, then SUCCESS; writes how often it was halted to
/// "halted" and how many runs it completed to "completed".
class RunFor : public BT::StatefulActionNode
{
public:
  RunFor(const std::string & name, const BT::NodeConfiguration & config)
  : BT::StatefulActionNode(name, config)
  {
  }

  static BT::PortsList providedPorts()
  {
    return {
      BT::InputPort<int>("ticks", 1, "RUNNING ticks before SUCCESS"), BT::OutputPort<int>("halted"),
      BT::OutputPort<int>("completed")};
  }

  BT::NodeStatus onStart() override
  {
    auto ticks = getInput<int>("ticks");
    if (!ticks) {
      throw BT::RuntimeError("RunFor: missing required input [ticks]: ", ticks.error());
    }
    remaining_ = ticks.value();
    return onRunning();
  }

  BT::NodeStatus onRunning() override
  {
    if (remaining_-- > 0) {
      return BT::NodeStatus::RUNNING;
    }
    setOutput("completed", ++completed_);
    return BT::NodeStatus::SUCCESS;
  }

  void onHalted() override { setOutput("halted", ++halted_); }

private:
  int remaining_ = 0;
  int halted_ = 0;
  int completed_ = 0;
};

/// SUCCESS when "value" is above "threshold".
class IsAbove : public BT::ConditionNode
{
public:
  IsAbove(const std::string & name, const BT::NodeConfiguration & config)
  : BT::ConditionNode(name, config)
  {
  }

  static BT::PortsList providedPorts()
  {
    return {BT::InputPort<double>("value"), BT::InputPort<double>("threshold", 0.0, "lower limit")};
  }

private:
  BT::NodeStatus tick() override
  {
    double value = 0;
    double threshold = 0;
    if (!getInput("value", value) || !getInput("threshold", threshold)) {
      return BT::NodeStatus::FAILURE;
    }
    return value > threshold ? BT::NodeStatus::SUCCESS : BT::NodeStatus::FAILURE;
  }
};

/// Copies "from" to "to".
class CopyValue : public BT::SyncActionNode
{
public:
  CopyValue(const std::string & name, const BT::NodeConfiguration & config)
  : BT::SyncActionNode(name, config)
  {
  }

  static BT::PortsList providedPorts()
  {
    return {BT::InputPort<double>("from"), BT::OutputPort<double>("to")};
  }

private:
  BT::NodeStatus tick() override
  {
    auto value = getInput<double>("from");
    if (!value) {
      return BT::NodeStatus::FAILURE;
    }
    setOutput("to", value.value());
    return BT::NodeStatus::SUCCESS;
  }
};

}  // namespace

BT_REGISTER_NODES(factory)
{
  factory.registerNodeType<RunFor>("RunFor");
  factory.registerNodeType<IsAbove>("IsAbove");
  factory.registerNodeType<CopyValue>("CopyValue");
}

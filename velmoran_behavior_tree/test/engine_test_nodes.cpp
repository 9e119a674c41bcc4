// Plug-in library of the engine tests.
#include <functional>
#include <string>

#include "behaviortree_cpp_v3/action_node.h"
#include "behaviortree_cpp_v3/bt_factory.h"

namespace
{
/// RUNNING until it was ticked "ticks" times (-1: for ever), then "result".
/// Counts its starts, ticks and halts on the blackboard entries of the output ports.
class Work : public BT::StatefulActionNode
{
public:
  Work(const std::string & name, const BT::NodeConfiguration & config)
  : BT::StatefulActionNode(name, config)
  {
  }

  static BT::PortsList providedPorts()
  {
    return {
      BT::InputPort<int>("ticks", -1, "ticks until completion, -1 for never"),
      BT::InputPort<BT::NodeStatus>("result", BT::NodeStatus::SUCCESS, "SUCCESS or FAILURE"),
      BT::OutputPort<int>("started"), BT::OutputPort<int>("ticked"), BT::OutputPort<int>("halted")};
  }

  BT::NodeStatus onStart() override
  {
    setOutput("started", ++starts_);
    ticks_in_run_ = 0;
    return onRunning();
  }

  BT::NodeStatus onRunning() override
  {
    setOutput("ticked", ++ticks_);
    const int limit = getInput<int>("ticks").value();
    if (limit < 0 || ++ticks_in_run_ < limit) {
      return BT::NodeStatus::RUNNING;
    }
    return getInput<BT::NodeStatus>("result").value();
  }

  void onHalted() override { setOutput("halted", ++halts_); }

private:
  int starts_ = 0;
  int ticks_ = 0;
  int halts_ = 0;
  int ticks_in_run_ = 0;
};

/// Calls the blackboard's "hook" (a std::function<void()>), if there is one, and succeeds: lets a
/// test act in the middle of a tree tick.
class Hook : public BT::SyncActionNode
{
public:
  Hook(const std::string & name, const BT::NodeConfiguration & config)
  : BT::SyncActionNode(name, config)
  {
  }

  static BT::PortsList providedPorts() { return {}; }

  BT::NodeStatus tick() override
  {
    std::function<void()> hook;
    if (config().blackboard->get("hook", hook) && hook) {
      hook();
    }
    return BT::NodeStatus::SUCCESS;
  }
};

}  // namespace

BT_REGISTER_NODES(factory)
{
  factory.registerNodeType<Work>("Work");
  factory.registerNodeType<Hook>("Hook");
}

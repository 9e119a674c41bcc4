// Cost of one tick of a 50-node tree whose every node is visited on each tick.
#include <benchmark/benchmark.h>

#include <string>

#include "behaviortree_cpp_v3/bt_factory.h"

namespace
{
/// Keeps the tree RUNNING so that every tick walks the whole tree again.
class KeepRunning : public BT::StatefulActionNode
{
public:
  KeepRunning(const std::string & name, const BT::NodeConfiguration & config)
  : BT::StatefulActionNode(name, config)
  {
  }

  static BT::PortsList providedPorts() { return {}; }

  BT::NodeStatus onStart() override { return BT::NodeStatus::RUNNING; }

  BT::NodeStatus onRunning() override { return BT::NodeStatus::RUNNING; }

  void onHalted() override {}
};

/// SUCCESS when the blackboard value behind port "value" is positive.
class IsPositive : public BT::ConditionNode
{
public:
  IsPositive(const std::string & name, const BT::NodeConfiguration & config)
  : BT::ConditionNode(name, config)
  {
  }

  static BT::PortsList providedPorts() { return {BT::InputPort<double>("value")}; }

private:
  BT::NodeStatus tick() override
  {
    double value = 0;
    return getInput("value", value) && value > 0 ? BT::NodeStatus::SUCCESS
                                                 : BT::NodeStatus::FAILURE;
  }
};

/// Root ReactiveSequence, 6 Sequences of 6 leaves, and a Fallback of 5
/// failing leaves and one RUNNING action: 1 + 6 * 7 + 7 = 50 nodes.
std::string fiftyNodeTree(const std::string & leaf)
{
  std::string xml = "<root><BehaviorTree><ReactiveSequence>";
  for (int sequence = 0; sequence < 6; ++sequence) {
    xml += "<Sequence>";
    for (int i = 0; i < 6; ++i) {
      xml += leaf;
    }
    xml += "</Sequence>";
  }
  xml += "<Fallback>";
  for (int i = 0; i < 5; ++i) {
    xml += "<AlwaysFailure/>";
  }
  xml += "<KeepRunning/></Fallback></ReactiveSequence></BehaviorTree></root>";
  return xml;
}

void tickFiftyNodes(benchmark::State & state, const std::string & leaf)
{
  BT::BehaviorTreeFactory factory;
  factory.registerNodeType<KeepRunning>("KeepRunning");
  factory.registerNodeType<IsPositive>("IsPositive");
  auto blackboard = BT::Blackboard::create();
  blackboard->set("value", 1.0);
  auto tree = factory.createTreeFromText(fiftyNodeTree(leaf), blackboard);
  if (tree.nodes.size() != 50) {
    state.SkipWithError("the tree does not have 50 nodes");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(tree.tickRoot());
  }
}

void BM_TickFiftyNodeTree(benchmark::State & state) { tickFiftyNodes(state, "<AlwaysSuccess/>"); }

void BM_TickFiftyNodeTreeReadingPorts(benchmark::State & state)
{
  tickFiftyNodes(state, "<IsPositive value=\"{value}\"/>");
}

BENCHMARK(BM_TickFiftyNodeTree)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickFiftyNodeTreeReadingPorts)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

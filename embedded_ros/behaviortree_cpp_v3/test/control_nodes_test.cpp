#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "behaviortree_cpp_v3/behavior_tree.h"
#include "behaviortree_cpp_v3/bt_factory.h"
#include "test_nodes.hpp"

namespace
{
using BT::NodeStatus;
using bt_test::ScriptedAction;
using bt_test::ScriptedCondition;

class SequenceTest : public ::testing::Test
{
protected:
  SequenceTest()
  {
    for (auto * node : {&first, &second, &third}) {
      sequence.addChild(node);
      star.addChild(node);
    }
  }

  ScriptedAction first{"first"};
  ScriptedAction second{"second"};
  ScriptedAction third{"third"};
  BT::SequenceNode sequence{"sequence"};
  BT::SequenceStarNode star{"star"};
};

TEST_F(SequenceTest, SucceedsWhenAllChildrenSucceedAndResetsThem)
{
  EXPECT_EQ(sequence.executeTick(), NodeStatus::SUCCESS);
  EXPECT_EQ(third.tick_count, 1);
  EXPECT_EQ(first.status(), NodeStatus::IDLE);
  EXPECT_EQ(sequence.executeTick(), NodeStatus::SUCCESS);
  EXPECT_EQ(first.tick_count, 2);
}

TEST_F(SequenceTest, ResumesAtTheRunningChild)
{
  second.result = NodeStatus::RUNNING;
  EXPECT_EQ(sequence.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(sequence.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(first.tick_count, 1);
  EXPECT_EQ(second.tick_count, 2);
  EXPECT_EQ(third.tick_count, 0);
  second.result = NodeStatus::SUCCESS;
  EXPECT_EQ(sequence.executeTick(), NodeStatus::SUCCESS);
  EXPECT_EQ(first.tick_count, 1);
}

TEST_F(SequenceTest, FailureRestartsFromTheFirstChild)
{
  second.result = NodeStatus::FAILURE;
  EXPECT_EQ(sequence.executeTick(), NodeStatus::FAILURE);
  EXPECT_EQ(third.tick_count, 0);
  second.result = NodeStatus::SUCCESS;
  EXPECT_EQ(sequence.executeTick(), NodeStatus::SUCCESS);
  EXPECT_EQ(first.tick_count, 2);
}

TEST_F(SequenceTest, SequenceStarResumesAtTheFailedChild)
{
  second.result = NodeStatus::FAILURE;
  EXPECT_EQ(star.executeTick(), NodeStatus::FAILURE);
  second.result = NodeStatus::SUCCESS;
  EXPECT_EQ(star.executeTick(), NodeStatus::SUCCESS);
  EXPECT_EQ(first.tick_count, 1);
  EXPECT_EQ(second.tick_count, 2);
  EXPECT_EQ(star.executeTick(), NodeStatus::SUCCESS);
  EXPECT_EQ(first.tick_count, 2) << "a success starts over";
}

TEST_F(SequenceTest, HaltStopsTheRunningChildAndStartsOver)
{
  second.result = NodeStatus::RUNNING;
  EXPECT_EQ(sequence.executeTick(), NodeStatus::RUNNING);
  sequence.halt();
  EXPECT_EQ(second.halt_count, 1);
  EXPECT_EQ(second.status(), NodeStatus::IDLE);
  EXPECT_EQ(sequence.status(), NodeStatus::IDLE);
  EXPECT_EQ(sequence.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(first.tick_count, 2);
}

TEST(ReactiveSequenceTest, ReevaluatesConditionsAndHaltsTheActionWhenOneFails)
{
  ScriptedCondition battery_ok("battery_ok");
  ScriptedAction drive("drive", NodeStatus::RUNNING);
  ScriptedAction later("later");
  BT::ReactiveSequence sequence("reactive");
  sequence.addChild(&battery_ok);
  sequence.addChild(&drive);
  sequence.addChild(&later);

  EXPECT_EQ(sequence.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(sequence.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(battery_ok.tick_count, 2);
  EXPECT_EQ(later.tick_count, 0);

  battery_ok.holds = false;
  EXPECT_EQ(sequence.executeTick(), NodeStatus::FAILURE);
  EXPECT_EQ(drive.halt_count, 1);
  EXPECT_EQ(drive.status(), NodeStatus::IDLE);

  battery_ok.holds = true;
  drive.result = NodeStatus::SUCCESS;
  EXPECT_EQ(sequence.executeTick(), NodeStatus::SUCCESS);
  EXPECT_EQ(later.tick_count, 1);
}

TEST(ReactiveSequenceTest, ARunningChildHaltsTheRunningChildrenAfterIt)
{
  ScriptedAction first("first", NodeStatus::SUCCESS);
  ScriptedAction second("second", NodeStatus::RUNNING);
  BT::ReactiveSequence sequence("reactive");
  sequence.addChild(&first);
  sequence.addChild(&second);
  EXPECT_EQ(sequence.executeTick(), NodeStatus::RUNNING);
  first.result = NodeStatus::RUNNING;
  EXPECT_EQ(sequence.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(second.halt_count, 1);
}

/// A stateful action that completes in onStart() with a fixed result, counting its starts.
class CountedStart : public BT::StatefulActionNode
{
public:
  CountedStart(const std::string & name, NodeStatus result)
  : BT::StatefulActionNode(name, {}), result_(result)
  {
  }

  int starts = 0;

  NodeStatus onStart() override
  {
    ++starts;
    return result_;
  }
  NodeStatus onRunning() override { return result_; }
  void onHalted() override {}

private:
  NodeStatus result_;
};

// While a later child runs, the children before it are set back to IDLE after every tick, so
// each tick starts them afresh and observers see them go back to IDLE.
TEST(ReactiveControlTest, ARunningChildResetsTheChildrenBeforeIt)
{
  struct Case
  {
    const char * control;
    NodeStatus completed;
  };
  for (const Case & c :
       {Case{"ReactiveSequence", NodeStatus::SUCCESS},
        Case{"ReactiveFallback", NodeStatus::FAILURE}}) {
    SCOPED_TRACE(c.control);
    CountedStart first("first", c.completed);
    ScriptedAction second("second", NodeStatus::RUNNING);
    BT::ReactiveSequence sequence("sequence");
    BT::ReactiveFallback fallback("fallback");
    BT::ControlNode & control = c.completed == NodeStatus::SUCCESS
                                  ? static_cast<BT::ControlNode &>(sequence)
                                  : static_cast<BT::ControlNode &>(fallback);
    control.addChild(&first);
    control.addChild(&second);
    std::vector<NodeStatus> first_statuses;
    auto subscription = first.subscribeToStatusChange(
      [&](BT::TimePoint, const BT::TreeNode &, NodeStatus, NodeStatus status) {
        first_statuses.push_back(status);
      });

    for (int tick = 0; tick < 3; ++tick) {
      EXPECT_EQ(control.executeTick(), NodeStatus::RUNNING);
      EXPECT_EQ(first.status(), NodeStatus::IDLE);
    }
    EXPECT_EQ(first.starts, 3);
    EXPECT_EQ(second.tick_count, 3);
    EXPECT_EQ(second.halt_count, 0);
    const std::vector<NodeStatus> expected{c.completed,      NodeStatus::IDLE, c.completed,
                                           NodeStatus::IDLE, c.completed,      NodeStatus::IDLE};
    EXPECT_EQ(first_statuses, expected);
  }
}

TEST(FallbackTest, TriesChildrenUntilOneSucceeds)
{
  ScriptedAction plan_a("plan_a", NodeStatus::FAILURE);
  ScriptedAction plan_b("plan_b", NodeStatus::RUNNING);
  ScriptedAction plan_c("plan_c", NodeStatus::SUCCESS);
  BT::FallbackNode fallback("fallback");
  fallback.addChild(&plan_a);
  fallback.addChild(&plan_b);
  fallback.addChild(&plan_c);

  EXPECT_EQ(fallback.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(fallback.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(plan_a.tick_count, 1) << "a running child is resumed";
  plan_b.result = NodeStatus::FAILURE;
  EXPECT_EQ(fallback.executeTick(), NodeStatus::SUCCESS);
  EXPECT_EQ(plan_c.tick_count, 1);
  EXPECT_EQ(plan_a.status(), NodeStatus::IDLE);

  plan_c.result = NodeStatus::FAILURE;
  EXPECT_EQ(fallback.executeTick(), NodeStatus::FAILURE);
  EXPECT_EQ(plan_a.tick_count, 2);

  plan_b.result = NodeStatus::RUNNING;
  EXPECT_EQ(fallback.executeTick(), NodeStatus::RUNNING);
  fallback.halt();
  EXPECT_EQ(plan_b.halt_count, 1);
}

TEST(ReactiveFallbackTest, RecheckedConditionPreemptsTheRunningAction)
{
  ScriptedCondition at_goal("at_goal", false);
  ScriptedAction drive("drive", NodeStatus::RUNNING);
  BT::ReactiveFallback fallback("reactive");
  fallback.addChild(&at_goal);
  fallback.addChild(&drive);

  EXPECT_EQ(fallback.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(fallback.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(at_goal.tick_count, 2);
  at_goal.holds = true;
  EXPECT_EQ(fallback.executeTick(), NodeStatus::SUCCESS);
  EXPECT_EQ(drive.halt_count, 1);

  at_goal.holds = false;
  drive.result = NodeStatus::FAILURE;
  EXPECT_EQ(fallback.executeTick(), NodeStatus::FAILURE);
}

class ParallelTest : public ::testing::Test
{
protected:
  void addChildren(BT::ParallelNode & parallel)
  {
    for (auto * node : {&a, &b, &c}) {
      parallel.addChild(node);
    }
  }

  ScriptedAction a{"a", NodeStatus::RUNNING};
  ScriptedAction b{"b", NodeStatus::RUNNING};
  ScriptedAction c{"c", NodeStatus::RUNNING};
};

TEST_F(ParallelTest, SucceedsAtTheSuccessThresholdAndHaltsTheRest)
{
  BT::ParallelNode parallel("parallel", 2, 2);
  addChildren(parallel);
  EXPECT_EQ(parallel.executeTick(), NodeStatus::RUNNING);
  a.result = NodeStatus::SUCCESS;
  EXPECT_EQ(parallel.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(parallel.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(a.tick_count, 2) << "a completed child is not ticked again";
  c.result = NodeStatus::SUCCESS;
  EXPECT_EQ(parallel.executeTick(), NodeStatus::SUCCESS);
  EXPECT_EQ(b.halt_count, 1);
  EXPECT_EQ(a.status(), NodeStatus::IDLE);
}

TEST_F(ParallelTest, FailsAtTheFailureThresholdOrWhenSuccessBecameImpossible)
{
  BT::ParallelNode parallel("parallel", 3, 2);
  addChildren(parallel);
  c.result = NodeStatus::FAILURE;
  EXPECT_EQ(parallel.executeTick(), NodeStatus::FAILURE)
    << "3 successes out of 3 are impossible after a failure";
  EXPECT_EQ(a.halt_count, 1);
  EXPECT_EQ(b.halt_count, 1);

  BT::ParallelNode lenient("lenient", 1, 2);
  addChildren(lenient);
  EXPECT_EQ(lenient.executeTick(), NodeStatus::RUNNING);
  b.result = NodeStatus::FAILURE;
  EXPECT_EQ(lenient.executeTick(), NodeStatus::FAILURE);
}

TEST_F(ParallelTest, NegativeThresholdCountsFromTheNumberOfChildren)
{
  BT::ParallelNode parallel("parallel", -1, 1);
  addChildren(parallel);
  EXPECT_EQ(parallel.successThreshold(), 3u);
  a.result = b.result = NodeStatus::SUCCESS;
  EXPECT_EQ(parallel.executeTick(), NodeStatus::RUNNING);
  c.result = NodeStatus::SUCCESS;
  EXPECT_EQ(parallel.executeTick(), NodeStatus::SUCCESS);
}

TEST_F(ParallelTest, ThresholdsAboveTheNumberOfChildrenAreRejected)
{
  BT::ParallelNode parallel("parallel", 4, 1);
  addChildren(parallel);
  EXPECT_THROW(parallel.executeTick(), BT::LogicError);
}

TEST_F(ParallelTest, HaltStopsEveryRunningChild)
{
  BT::ParallelNode parallel("parallel", 3, 1);
  addChildren(parallel);
  EXPECT_EQ(parallel.executeTick(), NodeStatus::RUNNING);
  parallel.halt();
  EXPECT_EQ(a.halt_count + b.halt_count + c.halt_count, 3);
  EXPECT_EQ(parallel.status(), NodeStatus::IDLE);
}

TEST(ControlNodeTest, AChildReturningIdleIsALogicError)
{
  ScriptedAction broken("broken", NodeStatus::IDLE);
  BT::SequenceNode sequence("sequence");
  sequence.addChild(&broken);
  EXPECT_THROW(sequence.executeTick(), BT::LogicError);
}

/// Stays RUNNING once started; counts its starts and halts.
class LongAction : public BT::StatefulActionNode
{
public:
  explicit LongAction(const std::string & name) : BT::StatefulActionNode(name, {}) {}

  BT::NodeStatus onStart() override
  {
    ++starts;
    return NodeStatus::RUNNING;
  }
  BT::NodeStatus onRunning() override { return NodeStatus::RUNNING; }
  void onHalted() override { ++halts; }

  int starts = 0;
  int halts = 0;
};

TEST(StatefulActionHaltTest, HaltLeavesTheStatusToTheParent)
{
  LongAction action("action");
  EXPECT_EQ(action.executeTick(), NodeStatus::RUNNING);
  action.halt();
  EXPECT_EQ(action.halts, 1);
  EXPECT_EQ(action.status(), NodeStatus::RUNNING) << "halt() does not reset the status";
  action.halt();
  EXPECT_EQ(action.halts, 2) << "a node still RUNNING is halted again";
}

TEST(StatefulActionHaltTest, TheHaltingParentResetsTheChildSoItStartsAfresh)
{
  LongAction action("action");
  BT::SequenceNode sequence("sequence");
  sequence.addChild(&action);
  EXPECT_EQ(sequence.executeTick(), NodeStatus::RUNNING);
  sequence.halt();
  EXPECT_EQ(action.halts, 1);
  EXPECT_EQ(action.status(), NodeStatus::IDLE);
  EXPECT_EQ(sequence.executeTick(), NodeStatus::RUNNING);
  EXPECT_EQ(action.starts, 2);

  BT::InverterNode inverter("inverter");
  LongAction decorated("decorated");
  inverter.setChild(&decorated);
  EXPECT_EQ(inverter.executeTick(), NodeStatus::RUNNING);
  inverter.halt();
  EXPECT_EQ(decorated.halts, 1);
  EXPECT_EQ(decorated.status(), NodeStatus::IDLE);
}

TEST(StatefulActionHaltTest, HaltTreeHaltsARootActionOnceAndResetsIt)
{
  auto action = std::make_shared<LongAction>("action");
  {
    BT::Tree tree;
    tree.nodes.push_back(action);
    EXPECT_EQ(tree.tickRoot(), NodeStatus::RUNNING);
    tree.haltTree();
    EXPECT_EQ(action->halts, 1);
    EXPECT_EQ(action->status(), NodeStatus::IDLE);
  }
  EXPECT_EQ(action->halts, 1) << "destroying the halted tree halts nothing again";
}

}  // namespace

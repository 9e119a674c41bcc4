#include "velmoran_behavior_tree/behavior_tree_engine.hpp"

#include <optional>
#include <stdexcept>
#include <thread>
#include <utility>

#include "behaviortree_cpp_v3/control_node.h"
#include "behaviortree_cpp_v3/utils/shared_library.h"

namespace behavior_tree
{
namespace
{
bool isSet(const std::shared_ptr<std::atomic<bool>> & flag) { return flag && flag->load(); }

std::string libraryPath(const std::string & entry)
{
  const bool is_path = entry.find('/') != std::string::npos ||
                       (entry.size() > 3 && entry.compare(entry.size() - 3, 3, ".so") == 0);
  return is_path ? entry : BT::SharedLibrary::getOSName(entry);
}

/// Halts nodes of a tree as their parent would: ControlNode::haltChild halts a RUNNING child and
/// sets it back to IDLE. It is never part of a tree and never ticked.
class HaltingParent : public BT::ControlNode
{
public:
  HaltingParent() : BT::ControlNode("HaltingParent", BT::NodeConfiguration()) {}

private:
  BT::NodeStatus tick() override
  {
    throw BT::LogicError("HaltingParent only halts nodes and is never ticked");
  }
};

/// What the run does after the tick callback answered.
struct TickDecision
{
  std::optional<TaskState> result;
  bool restart_tree = false;
};

TickDecision decide(TaskState answer, bool new_goal)
{
  switch (answer) {
    case TaskState::CONTINUE:
      return {};
    case TaskState::SUCCEEDED:
      return {std::nullopt, new_goal};
    case TaskState::COMPLETED:
    case TaskState::FAILED:
      return {TaskState::SUCCEEDED};
    case TaskState::ABORTED:
      return {TaskState::FAILED};
    case TaskState::CANCELED:
      return {TaskState::CANCELED};
  }
  throw std::invalid_argument(
    "BehaviorTreeEngine::run: the tick callback answered an unknown state " +
    std::to_string(static_cast<int>(answer)));
}

void checkRunArguments(
  BT::Tree * tree, const std::function<TaskState(bool &)> & tick,
  const std::function<bool()> & cancel_requested, std::chrono::milliseconds period)
{
  if (tree == nullptr || tree->rootNode() == nullptr) {
    throw std::invalid_argument("BehaviorTreeEngine::run: the tree is empty");
  }
  if (!tick || !cancel_requested) {
    throw std::invalid_argument(
      "BehaviorTreeEngine::run: the tick callback and the cancel check are required");
  }
  if (period <= std::chrono::milliseconds::zero()) {
    throw std::invalid_argument(
      "BehaviorTreeEngine::run: the period must be positive, not " +
      std::to_string(period.count()) + " ms");
  }
}
}  // namespace

BehaviorTreeEngine::BehaviorTreeEngine(const std::vector<std::string> & plugin_libraries)
{
  for (const auto & library : plugin_libraries) {
    try {
      factory_.registerFromPlugin(libraryPath(library));
    } catch (const std::exception & error) {
      throw std::runtime_error(
        "BehaviorTreeEngine: cannot load the plug-in library [" + library + "]: " + error.what());
    }
  }
}

BehaviorTreeEngine::~BehaviorTreeEngine() = default;

TaskState BehaviorTreeEngine::run(
  BT::Tree * tree, std::function<TaskState(bool &)> tick, std::function<bool()> cancel_requested,
  std::shared_ptr<std::atomic<bool>> stop_flag,
  std::shared_ptr<std::atomic<bool>> emergency_stop_flag, std::chrono::milliseconds period)
{
  checkRunArguments(tree, tick, cancel_requested, period);
  BT::TreeNode * root = tree->rootNode();
  auto finish = [this, root](TaskState result) {
    haltAllActions(root);
    return result;
  };

  bool holding = false;
  auto next_cycle = std::chrono::steady_clock::now();
  try {
    while (true) {
      if (cancel_requested()) {
        return finish(TaskState::CANCELED);
      }
      if (isSet(stop_flag)) {
        return finish(TaskState::SUCCEEDED);
      }

      bool new_goal = false;
      const TaskState answer = tick(new_goal);
      const TickDecision decision = decide(answer, new_goal);
      if (decision.result) {
        return finish(*decision.result);
      }
      if (decision.restart_tree) {
        haltAllActions(root);
      }

      if (isSet(emergency_stop_flag)) {
        if (!holding) {
          haltAllActions(root);
          holding = true;
        }
      } else {
        holding = false;
        const BT::NodeStatus status = tree->tickRoot();
        if (status == BT::NodeStatus::SUCCESS) {
          return TaskState::SUCCEEDED;
        }
        if (status == BT::NodeStatus::FAILURE) {
          return TaskState::FAILED;
        }
      }

      next_cycle += period;
      const auto now = std::chrono::steady_clock::now();
      if (next_cycle > now) {
        std::this_thread::sleep_until(next_cycle);
      } else {
        next_cycle = now;
      }
    }
  } catch (...) {
    haltAllActions(root);
    throw;
  }
}

BT::Tree BehaviorTreeEngine::createTreeFromFile(
  const std::string & file_path, BT::Blackboard::Ptr blackboard)
{
  return factory_.createTreeFromFile(file_path, std::move(blackboard));
}

BT::Tree BehaviorTreeEngine::createTreeFromText(
  const std::string & xml_text, BT::Blackboard::Ptr blackboard)
{
  return factory_.createTreeFromText(xml_text, std::move(blackboard));
}

void BehaviorTreeEngine::setMonitor(std::unique_ptr<BT::StatusChangeLogger> monitor)
{
  monitor_ = std::move(monitor);
}

bool BehaviorTreeEngine::hasMonitor() const { return monitor_ != nullptr; }

void BehaviorTreeEngine::resetGrootMonitor() { monitor_.reset(); }

void BehaviorTreeEngine::haltAllActions(BT::TreeNode * root_node)
{
  if (root_node == nullptr) {
    return;
  }
  // BT::Tree::haltTree's order: the root first, then every node the root's halt missed. halt()
  // need not reset a node's status (an action's halt leaves that to its parent), so each node is
  // halted through a parent's haltChild, which also sets it back to IDLE; otherwise a halted
  // action would be halted again and resumed instead of started afresh.
  HaltingParent parent;
  BT::applyRecursiveVisitor(root_node, [&parent](BT::TreeNode * node) { parent.addChild(node); });
  parent.haltChildren();
}

}  // namespace behavior_tree

#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "behaviortree_cpp_v3/behavior_tree.h"
#include "behaviortree_cpp_v3/bt_factory.h"
#include "behaviortree_cpp_v3/loggers/abstract_logger.h"
#include "velmoran_behavior_tree/task_state.hpp"
#include "velmoran_behavior_tree/wake_signal.hpp"

namespace behavior_tree
{
/// Builds behaviour trees from XML files and plug-in libraries, and runs them.
class BehaviorTreeEngine
{
public:
  /// Registers the nodes of each plug-in library. An entry with a '/' or
  /// ending in ".so" is a path; any other entry is a library name, "name"
  /// standing for "libname.so" found on the library search path.
  /// Throws std::runtime_error naming the first library that cannot be loaded.
  explicit BehaviorTreeEngine(const std::vector<std::string> & plugin_libraries);

  virtual ~BehaviorTreeEngine();

  BehaviorTreeEngine(const BehaviorTreeEngine &) = delete;
  BehaviorTreeEngine & operator=(const BehaviorTreeEngine &) = delete;

  /// Runs the tree until the run is over, in cycles. Each cycle, in this order:
  ///
  /// 1. cancel_requested() true: halt the tree, return CANCELED.
  /// 2. stop_flag set: halt the tree, return SUCCEEDED.
  /// 3. tick(new_goal), with new_goal false beforehand:
  ///    - CONTINUE: go on.
  ///    - SUCCEEDED: go on; when new_goal was set (another goal was taken
  ///      over), halt the tree first, so that it starts again on that goal.
  ///    - COMPLETED or FAILED: halt the tree, return SUCCEEDED.
  ///    - ABORTED: halt the tree, return FAILED.
  ///    - CANCELED: halt the tree, return CANCELED.
  /// 4. emergency_stop_flag set: halt the running actions once when the flag
  ///    rises and tick the tree no more while it stays set. Steps 1 to 3 still
  ///    run every cycle, so a cancel, a stop or a new goal is served during the
  ///    hold. When the flag clears, ticking resumes with a tree started afresh.
  /// 5. Otherwise tick the tree: SUCCESS returns SUCCEEDED, FAILURE returns
  ///    FAILED, RUNNING goes on.
  ///
  /// Between cycles the calling thread waits on wakeSignal() with the period as
  /// its time-out. A cycle starts:
  /// - when the period is over: one period after the previous such cycle (a
  ///   cycle that overruns its period is followed at once by the next), or
  ///   after the tree tick of a woken cycle below;
  /// - at once when the signal is raised. Such a woken cycle runs steps 1 to 4
  ///   as any other but ticks the tree only when it has something to serve: a
  ///   new goal taken over in step 3 (new_goal set), or an emergency stop that
  ///   cleared in step 4. The period then starts again from that tick.
  /// So the tree is ticked once per period while nothing happens, and a burst
  /// of notifications ticks it at most once per notification that changed
  /// something; notifications that arrive before the run wakes count as one.
  /// The first cycle starts at once; a notification from before the call is
  /// dropped, as that cycle reads everything anyway.
  ///
  /// Whoever changes what a cycle checks (the cancel state, either flag, what
  /// the tick callback looks at) raises the signal after the change, from any
  /// thread; the engine itself knows nothing of where the changes come from.
  /// One run at a time per engine.
  ///
  /// So the result is SUCCEEDED, FAILED or CANCELED (0, 1, 2). A null flag
  /// counts as never set. An exception from a callback or from the tree halts
  /// the tree and is passed on. Throws std::invalid_argument for a null or
  /// empty tree, empty callbacks or a period that is not positive.
  TaskState run(
    BT::Tree * tree, std::function<TaskState(bool &)> tick, std::function<bool()> cancel_requested,
    std::shared_ptr<std::atomic<bool>> stop_flag,
    std::shared_ptr<std::atomic<bool>> emergency_stop_flag, std::chrono::milliseconds period);

  /// The signal that ends the wait of run between cycles early (see run). It
  /// lives as long as any holder of it, so notifiers may outlive the engine.
  std::shared_ptr<WakeSignal> wakeSignal() const { return wake_signal_; }

  /// Builds the tree of an XML file on the given root blackboard. Throws a
  /// std::exception saying what is wrong with the file.
  BT::Tree createTreeFromFile(const std::string & file_path, BT::Blackboard::Ptr blackboard);

  BT::Tree createTreeFromText(const std::string & xml_text, BT::Blackboard::Ptr blackboard);

  /// Attaches an observer of the tree's status changes, replacing any earlier one.
  void setMonitor(std::unique_ptr<BT::StatusChangeLogger> monitor);

  bool hasMonitor() const;

  /// Detaches the observer, if any. Call it before the observed tree is
  /// replaced: an observer must not outlive its tree.
  void resetGrootMonitor();

  /// Halts the tree below root_node and every action still RUNNING in it.
  /// A null root (an empty tree) does nothing.
  void haltAllActions(BT::TreeNode * root_node);

protected:
  BT::BehaviorTreeFactory factory_;

private:
  std::unique_ptr<BT::StatusChangeLogger> monitor_;
  const std::shared_ptr<WakeSignal> wake_signal_ = std::make_shared<WakeSignal>();
};

}  // namespace behavior_tree

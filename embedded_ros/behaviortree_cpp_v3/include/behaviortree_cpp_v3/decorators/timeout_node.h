#ifndef BEHAVIORTREE_CPP_V3_DECORATORS_TIMEOUT_NODE_H
#define BEHAVIORTREE_CPP_V3_DECORATORS_TIMEOUT_NODE_H

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

#include "behaviortree_cpp_v3/decorator_node.h"
#include "behaviortree_cpp_v3/decorators/timer_queue.h"

namespace BT
{
/// Halts a child that is still RUNNING msec milliseconds after this node was
/// first ticked, and then answers FAILURE. Otherwise answers like the child.
///
/// A timer halts the child at the deadline, from the timer's thread, and wakes
/// the thread sleeping in Tree::sleep(); the next tick answers FAILURE. A child
/// that completed before the deadline keeps its result however late the next
/// tick comes. msec 0 means no time limit.
template <
  typename ClockT = std::chrono::steady_clock,
  typename DurationT = std::chrono::steady_clock::duration>
class TimeoutNode : public DecoratorNode
{
public:
  TimeoutNode(const std::string & name, unsigned milliseconds)
  : DecoratorNode(name, {}), msec_(milliseconds), read_parameter_from_ports_(false)
  {
    setRegistrationID("Timeout");
  }

  TimeoutNode(const std::string & name, const NodeConfiguration & config)
  : DecoratorNode(name, config), msec_(0), read_parameter_from_ports_(true)
  {
  }

  ~TimeoutNode() override { timer_.cancelAll(); }

  static PortsList providedPorts()
  {
    return {InputPort<unsigned>(
      "msec", "After a certain amount of time, halt() the child if it is still running.")};
  }

  void halt() override
  {
    timeout_started_ = false;
    timer_.cancelAll();
    DecoratorNode::halt();
  }

private:
  NodeStatus tick() override
  {
    if (read_parameter_from_ports_ && !getInput("msec", msec_)) {
      throw RuntimeError("Missing parameter [msec] in TimeoutNode");
    }
    if (!timeout_started_) {
      timeout_started_ = true;
      setStatus(NodeStatus::RUNNING);
      uint64_t period;
      {
        std::lock_guard<std::mutex> lock(timeout_mutex_);
        child_halted_ = false;
        period = ++period_;
      }
      if (msec_ > 0) {
        timer_id_ = timer_.add(std::chrono::milliseconds(msec_), [this, period](bool aborted) {
          if (!aborted) {
            onDeadline(period);
          }
        });
      }
    }

    NodeStatus child_status;
    {
      std::lock_guard<std::mutex> lock(timeout_mutex_);
      if (child_halted_) {
        timeout_started_ = false;
        return NodeStatus::FAILURE;
      }
      child_status = child()->executeTick();
    }
    if (child_status != NodeStatus::RUNNING) {
      timeout_started_ = false;
      timer_.cancel(timer_id_);
    }
    return child_status;
  }

  // Runs on the timer's thread. `period` tells a deadline of an earlier run apart.
  void onDeadline(uint64_t period)
  {
    std::lock_guard<std::mutex> lock(timeout_mutex_);
    if (period != period_ || child()->status() != NodeStatus::RUNNING) {
      return;
    }
    child_halted_ = true;
    haltChild();
    emitStateChanged();
  }

  unsigned msec_;
  bool read_parameter_from_ports_;
  bool timeout_started_ = false;
  TimerQueue<ClockT, DurationT> timer_;
  uint64_t timer_id_ = 0;
  std::mutex timeout_mutex_;
  uint64_t period_ = 0;
  bool child_halted_ = false;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_DECORATORS_TIMEOUT_NODE_H

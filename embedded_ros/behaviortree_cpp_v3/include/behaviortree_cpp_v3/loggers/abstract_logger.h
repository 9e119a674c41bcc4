#ifndef BEHAVIORTREE_CPP_V3_LOGGERS_ABSTRACT_LOGGER_H
#define BEHAVIORTREE_CPP_V3_LOGGERS_ABSTRACT_LOGGER_H

#include <vector>

#include "behaviortree_cpp_v3/behavior_tree.h"

namespace BT
{
enum class TimestampType { absolute, relative };

/// Observes every status change of the nodes of a tree while it lives.
class StatusChangeLogger
{
public:
  explicit StatusChangeLogger(TreeNode * root_node);
  virtual ~StatusChangeLogger() = default;

  StatusChangeLogger(const StatusChangeLogger &) = delete;
  StatusChangeLogger & operator=(const StatusChangeLogger &) = delete;

  virtual void callback(
    BT::Duration timestamp, const TreeNode & node, NodeStatus prev_status, NodeStatus status) = 0;

  virtual void flush() = 0;

  void setEnabled(bool enabled) { enabled_ = enabled; }

  void setTimestampType(TimestampType type) { type_ = type; }

  bool enabled() const { return enabled_; }

  bool showsTransitionToIdle() const { return show_transition_to_idle_; }

  void enableTransitionToIdle(bool enable) { show_transition_to_idle_ = enable; }

private:
  bool enabled_ = true;
  bool show_transition_to_idle_ = true;
  std::vector<TreeNode::StatusChangeSubscriber> subscribers_;
  TimestampType type_ = TimestampType::absolute;
  BT::TimePoint first_timestamp_;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_LOGGERS_ABSTRACT_LOGGER_H

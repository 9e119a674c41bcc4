#include "behaviortree_cpp_v3/loggers/abstract_logger.h"

namespace BT
{
StatusChangeLogger::StatusChangeLogger(TreeNode * root_node)
: first_timestamp_(std::chrono::high_resolution_clock::now())
{
  auto on_change =
    [this](TimePoint timestamp, const TreeNode & node, NodeStatus previous, NodeStatus status) {
      if (enabled_ && (status != NodeStatus::IDLE || show_transition_to_idle_)) {
        const Duration stamp = type_ == TimestampType::absolute ? timestamp.time_since_epoch()
                                                                : timestamp - first_timestamp_;
        callback(stamp, node, previous, status);
      }
    };
  applyRecursiveVisitor(root_node, [this, &on_change](TreeNode * node) {
    subscribers_.push_back(node->subscribeToStatusChange(on_change));
  });
}

}  // namespace BT

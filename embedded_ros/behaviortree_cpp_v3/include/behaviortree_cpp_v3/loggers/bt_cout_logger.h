#ifndef BEHAVIORTREE_CPP_V3_LOGGERS_BT_COUT_LOGGER_H
#define BEHAVIORTREE_CPP_V3_LOGGERS_BT_COUT_LOGGER_H

#include <atomic>
#include <cstring>

#include "behaviortree_cpp_v3/bt_factory.h"
#include "behaviortree_cpp_v3/loggers/abstract_logger.h"

namespace BT
{
/// Prints every status change of a tree to standard output, one line each:
/// "[seconds]: name<padding> PREVIOUS -> STATUS", the statuses coloured.
/// Only one instance may exist at a time.
class StdCoutLogger : public StatusChangeLogger
{
public:
  /// Throws LogicError while another StdCoutLogger exists.
  explicit StdCoutLogger(const BT::Tree & tree);
  ~StdCoutLogger() override;

  void callback(
    Duration timestamp, const TreeNode & node, NodeStatus prev_status, NodeStatus status) override;

  void flush() override;

private:
  static std::atomic<bool> ref_count;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_LOGGERS_BT_COUT_LOGGER_H

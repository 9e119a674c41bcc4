#include "behaviortree_cpp_v3/loggers/bt_cout_logger.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

namespace BT
{
std::atomic<bool> StdCoutLogger::ref_count(false);

namespace
{
// Names are padded to this width so that the statuses line up.
constexpr size_t kNameWidth = 25;

// Constructs the base only once this is the one instance, so that a refused logger never
// subscribes to the tree.
TreeNode * claimSoleInstance(std::atomic<bool> & taken, const Tree & tree)
{
  bool expected = false;
  if (!taken.compare_exchange_strong(expected, true)) {
    throw LogicError("Only one instance of StdCoutLogger shall be created");
  }
  return tree.rootNode();
}
}  // namespace

StdCoutLogger::StdCoutLogger(const BT::Tree & tree)
: StatusChangeLogger(claimSoleInstance(ref_count, tree))
{
}

StdCoutLogger::~StdCoutLogger() { ref_count.store(false); }

void StdCoutLogger::callback(
  Duration timestamp, const TreeNode & node, NodeStatus prev_status, NodeStatus status)
{
  char stamp[32];
  std::snprintf(stamp, sizeof(stamp), "[%.3f]: ", std::chrono::duration<double>(timestamp).count());
  const std::string & name = node.name();
  std::cout << stamp << name << std::string(kNameWidth - std::min(kNameWidth, name.size()), ' ')
            << ' ' << toStr(prev_status, true) << " -> " << toStr(status, true) << std::endl;
}

void StdCoutLogger::flush() { std::cout << std::flush; }

}  // namespace BT

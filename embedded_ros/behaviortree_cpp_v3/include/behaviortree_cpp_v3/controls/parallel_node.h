#ifndef BEHAVIORTREE_CPP_V3_CONTROLS_PARALLEL_NODE_H
#define BEHAVIORTREE_CPP_V3_CONTROLS_PARALLEL_NODE_H

#include <set>
#include <string>

#include "behaviortree_cpp_v3/control_node.h"

namespace BT
{
/// Ticks every child that has not completed yet, on every tick. SUCCESS once
/// success_threshold children succeeded, FAILURE once failure_threshold failed
/// or success became impossible. A negative threshold counts from the number of
/// children: -1 means all of them.
class ParallelNode : public ControlNode
{
public:
  ParallelNode(const std::string & name, int success_threshold, int failure_threshold = 1);

  ParallelNode(const std::string & name, const NodeConfiguration & config);

  static PortsList providedPorts()
  {
    return {
      InputPort<int>(
        THRESHOLD_SUCCESS, "number of children which need to succeed to trigger a SUCCESS"),
      InputPort<int>(
        THRESHOLD_FAILURE, 1, "number of children which need to fail to trigger a FAILURE")};
  }

  ~ParallelNode() override = default;

  void halt() override;

  size_t successThreshold() const;
  size_t failureThreshold() const;
  void setSuccessThreshold(int threshold_M);
  void setFailureThreshold(int threshold_M);

private:
  int success_threshold_;
  int failure_threshold_;
  std::set<size_t> skip_list_;
  bool read_parameter_from_ports_;
  static constexpr const char * THRESHOLD_SUCCESS = "success_threshold";
  static constexpr const char * THRESHOLD_FAILURE = "failure_threshold";

  NodeStatus tick() override;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_CONTROLS_PARALLEL_NODE_H

#include "velmoran_communicator/communicator_decision.hpp"

namespace velmoran_communicator
{
CommunicatorDecision::CommunicatorDecision()
: node_(std::make_shared<rclcpp::Node>(kNodeName)),
  cmd_vel_(std::make_shared<MicroUnitCmdVel>(*node_)),
  err_code_(std::make_shared<MicroUnitErrCode>(*node_))
{
}

std::shared_ptr<CommunicatorDecision> CommunicatorDecision::instance()
{
  // A failed construction (no ROS context yet) is retried by the next call.
  static const std::shared_ptr<CommunicatorDecision> process_instance =
    std::make_shared<CommunicatorDecision>();
  return process_instance;
}

}  // namespace velmoran_communicator

#pragma once

#include <memory>

#include <rclcpp/node.hpp>

#include "velmoran_communicator/micro_unit_cmd_vel.hpp"
#include "velmoran_communicator/micro_unit_err_code.hpp"

namespace velmoran_communicator
{
/// The communication units of the navigation decision program, on a ROS node of their own
/// ("velmoran_communicator_decision"). Needs an initialised ROS context.
class CommunicatorDecision
{
public:
  static constexpr const char * kNodeName = "velmoran_communicator_decision";

  CommunicatorDecision();

  CommunicatorDecision(const CommunicatorDecision &) = delete;
  CommunicatorDecision & operator=(const CommunicatorDecision &) = delete;

  /// The process-wide instance, created by the first call and kept until the process exits.
  static std::shared_ptr<CommunicatorDecision> instance();

  std::shared_ptr<MicroUnitCmdVel> cmd_vel() const { return cmd_vel_; }

  std::shared_ptr<MicroUnitErrCode> err_code() const { return err_code_; }

private:
  rclcpp::Node::SharedPtr node_;
  const std::shared_ptr<MicroUnitCmdVel> cmd_vel_;
  const std::shared_ptr<MicroUnitErrCode> err_code_;
};

}  // namespace velmoran_communicator

#include "velmoran_nav2_sim/remote_robot.hpp"

#include <stdexcept>
#include <string>
#include <utility>

#include "velmoran_nav2_sim/world_protocol.hpp"

namespace velmoran_nav2_sim
{

RemoteRobot::RemoteRobot(std::shared_ptr<WorldLink> link) : link_(std::move(link)) {}

std::uint64_t RemoteRobot::drive(std::vector<Pose2D> waypoints, double speed, Heading heading)
{
  const std::string answer = link_->call(world_protocol::driveRequest(waypoints, speed, heading));
  std::size_t used = 0;
  const std::uint64_t command = std::stoull(answer, &used);
  if (used != answer.size()) {
    throw std::runtime_error("the simulation world answered a drive with '" + answer + "'");
  }
  return command;
}

void RemoteRobot::stop() { link_->call("stop"); }

MobileBase::MotionStatus RemoteRobot::status() const
{
  return world_protocol::parseStatus(link_->call("status"));
}

Pose2D RemoteRobot::pose() const { return world_protocol::parsePose(link_->call("pose")); }

}  // namespace velmoran_nav2_sim

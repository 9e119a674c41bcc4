#include "velmoran_nav2_sim/nodes/motion_supervisor.hpp"

#include <utility>

namespace velmoran_nav2_sim
{

void MotionSupervisor::start(
  std::shared_ptr<MobileBase> robot, std::vector<Pose2D> waypoints, double speed,
  MobileBase::Heading heading)
{
  robot_ = std::move(robot);
  waypoints_ = std::move(waypoints);
  speed_ = speed;
  heading_ = heading;
  offset_ = 0;
  restarts_ = 0;
  command_ = robot_->drive(waypoints_, speed_, heading_);
}

MotionSupervisor::Progress MotionSupervisor::poll()
{
  const MobileBase::MotionStatus status = robot_->status();
  if (status.command == command_ && status.reached) {
    return Progress::kReached;
  }
  if (status.command != command_ || !status.active) {
    resume();
  }
  return Progress::kRunning;
}

void MotionSupervisor::stop()
{
  if (robot_ && robot_->status().command == command_) {
    robot_->stop();
  }
}

std::size_t MotionSupervisor::waypointsReached() const
{
  if (!robot_) {
    return 0;
  }
  const MobileBase::MotionStatus status = robot_->status();
  return status.command == command_ ? offset_ + status.waypoints_reached : offset_;
}

void MotionSupervisor::resume()
{
  offset_ = waypointsReached();
  restarts_ += 1;
  const std::vector<Pose2D> left(
    waypoints_.begin() + static_cast<std::ptrdiff_t>(offset_), waypoints_.end());
  command_ = robot_->drive(left, speed_, heading_);
}

}  // namespace velmoran_nav2_sim

#include "velmoran_nav2_sim/sim_world.hpp"

#include <iostream>
#include <stdexcept>
#include <utility>

namespace velmoran_nav2_sim
{

SimWorld & SimWorld::instance()
{
  static SimWorld world;
  return world;
}

void SimWorld::setRobot(std::shared_ptr<MobileBase> robot)
{
  std::lock_guard<std::mutex> lock(mutex_);
  robot_ = std::move(robot);
}

std::shared_ptr<MobileBase> SimWorld::robot() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  if (!robot_) {
    throw std::runtime_error("no simulated robot in this process: the simulation host sets one");
  }
  return robot_;
}

void SimWorld::setObstacles(std::vector<Polygon2D> obstacles)
{
  std::lock_guard<std::mutex> lock(mutex_);
  obstacles_ = std::move(obstacles);
}

std::vector<Polygon2D> SimWorld::obstacles() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return obstacles_;
}

std::optional<std::size_t> SimWorld::obstacleAt(const Point2D & point) const
{
  std::lock_guard<std::mutex> lock(mutex_);
  for (std::size_t i = 0; i < obstacles_.size(); ++i) {
    if (contains(obstacles_[i], point)) {
      return i;
    }
  }
  return std::nullopt;
}

void SimWorld::armFault(int action_id, const Fault & fault)
{
  std::lock_guard<std::mutex> lock(mutex_);
  faults_[action_id] = fault;
}

void SimWorld::disarmFault(int action_id)
{
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.erase(action_id);
}

std::optional<Fault> SimWorld::faultFor(int action_id) const
{
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = faults_.find(action_id);
  if (found == faults_.end()) {
    return std::nullopt;
  }
  return found->second;
}

bool SimWorld::takeForcedFailure(int action_id)
{
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = faults_.find(action_id);
  if (found == faults_.end() || found->second.kind != Fault::Kind::kAlwaysFailure) {
    return false;
  }
  faults_.erase(found);
  return true;
}

void SimWorld::report(const std::string & text)
{
  static std::mutex output;
  std::lock_guard<std::mutex> lock(output);
  std::cerr << "[sim] " << text << std::endl;
}

void SimWorld::reset()
{
  std::lock_guard<std::mutex> lock(mutex_);
  robot_.reset();
  obstacles_.clear();
  faults_.clear();
}

}  // namespace velmoran_nav2_sim

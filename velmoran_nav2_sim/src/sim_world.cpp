#include "velmoran_nav2_sim/sim_world.hpp"

#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <utility>

#include <fmt/format.h>

#include "velmoran_nav2_sim/remote_robot.hpp"
#include "velmoran_nav2_sim/world_link.hpp"
#include "velmoran_nav2_sim/world_protocol.hpp"

namespace velmoran_nav2_sim
{

SimWorld & SimWorld::instance()
{
  static SimWorld world;
  return world;
}

SimWorld::SimWorld()
{
  if (const char * address = std::getenv(WorldLink::kAddressVariable)) {
    remote_address_ = address;
  }
}

std::shared_ptr<WorldLink> SimWorld::remote() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  if (remote_address_.empty()) {
    return nullptr;
  }
  if (!link_) {
    link_ = std::make_shared<WorldLink>(remote_address_);
  }
  return link_;
}

void SimWorld::setRobot(std::shared_ptr<MobileBase> robot)
{
  std::lock_guard<std::mutex> lock(mutex_);
  robot_ = std::move(robot);
}

std::shared_ptr<MobileBase> SimWorld::robot() const
{
  const auto link = remote();
  std::lock_guard<std::mutex> lock(mutex_);
  if (link && !robot_) {
    return std::make_shared<RemoteRobot>(link);
  }
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
  if (const auto link = remote()) {
    return world_protocol::parseObstacles(link->call("obstacles"));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  return obstacles_;
}

std::optional<std::size_t> SimWorld::obstacleAt(const Point2D & point) const
{
  const std::vector<Polygon2D> all = obstacles();
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (contains(all[i], point)) {
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
  if (const auto link = remote()) {
    return world_protocol::parseFault(link->call(fmt::format("fault {}", action_id)));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = faults_.find(action_id);
  if (found == faults_.end()) {
    return std::nullopt;
  }
  return found->second;
}

bool SimWorld::takeForcedFailure(int action_id)
{
  if (const auto link = remote()) {
    return link->call(fmt::format("take-failure {}", action_id)) == "1";
  }
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

#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include <string>

#include "velmoran_nav2_sim/geometry.hpp"
#include "velmoran_nav2_sim/mobile_base.hpp"

namespace velmoran_nav2_sim
{

class WorldLink;

/// A fault a job is to meet, armed for the job's action id.
struct Fault
{
  enum class Kind { kAlwaysFailure, kSlow };
  Kind kind = Kind::kSlow;
  /// For kSlow: the job drives at this fraction of its speed.
  double speed_scale = 1.0;
};

/// What the simulated tree nodes share with whoever hosts the simulation: the robot, the
/// obstacles of the map and the faults armed for jobs. One per process, like the hardware it
/// stands for; the host fills it before jobs run. In a process started with
/// WorldLink::kAddressVariable set (the decision node's own, when the runner starts it as a child
/// process), it is the host process's world: robot, obstacles and faults are asked for there.
class SimWorld
{
public:
  static SimWorld & instance();

  SimWorld(const SimWorld &) = delete;
  SimWorld & operator=(const SimWorld &) = delete;

  void setRobot(std::shared_ptr<MobileBase> robot);
  /// The robot; throws std::runtime_error when no host has set one.
  std::shared_ptr<MobileBase> robot() const;

  void setObstacles(std::vector<Polygon2D> obstacles);
  std::vector<Polygon2D> obstacles() const;
  /// The first obstacle that contains the point, if any (its position in the list).
  std::optional<std::size_t> obstacleAt(const Point2D & point) const;

  void armFault(int action_id, const Fault & fault);
  void disarmFault(int action_id);
  std::optional<Fault> faultFor(int action_id) const;
  /// A forced failure fires once: this returns true and disarms it.
  bool takeForcedFailure(int action_id);

  /// Writes "[sim] <text>" to the error stream: the tree nodes' messages.
  static void report(const std::string & text);

  /// Forgets robot, obstacles and faults.
  void reset();

private:
  SimWorld();

  /// The link to the host's world, connected on first use; empty in the host itself.
  std::shared_ptr<WorldLink> remote() const;

  mutable std::mutex mutex_;
  std::string remote_address_;
  mutable std::shared_ptr<WorldLink> link_;
  std::shared_ptr<MobileBase> robot_;
  std::vector<Polygon2D> obstacles_;
  std::map<int, Fault> faults_;
};

}  // namespace velmoran_nav2_sim

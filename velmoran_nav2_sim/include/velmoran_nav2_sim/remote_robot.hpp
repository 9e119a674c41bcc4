#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "velmoran_nav2_sim/mobile_base.hpp"
#include "velmoran_nav2_sim/world_link.hpp"

namespace velmoran_nav2_sim
{

/// The robot of another process, reached through its WorldLink: each call is one request.
class RemoteRobot : public MobileBase
{
public:
  explicit RemoteRobot(std::shared_ptr<WorldLink> link);

  std::uint64_t drive(std::vector<Pose2D> waypoints, double speed, Heading heading) override;
  void stop() override;
  MotionStatus status() const override;
  Pose2D pose() const override;

private:
  std::shared_ptr<WorldLink> link_;
};

}  // namespace velmoran_nav2_sim

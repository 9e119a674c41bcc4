#pragma once

#include <optional>
#include <string>
#include <vector>

#include "velmoran_nav2_sim/geometry.hpp"
#include "velmoran_nav2_sim/mobile_base.hpp"
#include "velmoran_nav2_sim/sim_world.hpp"

namespace velmoran_nav2_sim
{

/// The lines of WorldLink both ends write and read. Numbers are written in their shortest exact
/// form, so a pose crosses unchanged. A parse throws std::invalid_argument naming the text.
namespace world_protocol
{

std::string driveRequest(
  const std::vector<Pose2D> & waypoints, double speed, MobileBase::Heading heading);
std::string formatStatus(const MobileBase::MotionStatus & status);
MobileBase::MotionStatus parseStatus(const std::string & text);
std::string formatPose(const Pose2D & pose);
Pose2D parsePose(const std::string & text);
std::string formatObstacles(const std::vector<Polygon2D> & obstacles);
std::vector<Polygon2D> parseObstacles(const std::string & text);
std::string formatFault(const std::optional<Fault> & fault);
std::optional<Fault> parseFault(const std::string & text);

/// The host's answer to one request, against its `world`: "ok ..." or "error <text>".
std::string answer(SimWorld & world, const std::string & request);

}  // namespace world_protocol
}  // namespace velmoran_nav2_sim

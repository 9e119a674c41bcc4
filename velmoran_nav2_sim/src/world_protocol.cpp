#include "velmoran_nav2_sim/world_protocol.hpp"

#include <cstdint>
#include <limits>
#include <locale>
#include <sstream>
#include <stdexcept>

#include <fmt/format.h>

namespace velmoran_nav2_sim
{
namespace world_protocol
{
namespace
{

/// Reads the words of one line; any word missing or not of its type is an error naming the line.
class Reader
{
public:
  explicit Reader(const std::string & text) : text_(text), stream_(text)
  {
    stream_.imbue(std::locale::classic());
  }

  template <typename T>
  T next()
  {
    T value{};
    if (!(stream_ >> value)) {
      throw std::invalid_argument(fmt::format("malformed simulation world line '{}'", text_));
    }
    return value;
  }

  /// A count of items that each take `words` more words: never more than the line can hold.
  std::size_t count(std::size_t words)
  {
    const auto value = next<std::size_t>();
    if (value > text_.size() / (2 * words)) {
      throw std::invalid_argument(fmt::format("malformed simulation world line '{}'", text_));
    }
    return value;
  }

  void end()
  {
    std::string rest;
    if (stream_ >> rest) {
      throw std::invalid_argument(fmt::format("malformed simulation world line '{}'", text_));
    }
  }

private:
  const std::string & text_;
  std::istringstream stream_;
};

std::vector<Pose2D> readPoses(Reader & reader)
{
  std::vector<Pose2D> poses(reader.count(3));
  for (auto & pose : poses) {
    pose.x = reader.next<double>();
    pose.y = reader.next<double>();
    pose.yaw = reader.next<double>();
  }
  return poses;
}

}  // namespace

std::string driveRequest(
  const std::vector<Pose2D> & waypoints, double speed, MobileBase::Heading heading)
{
  std::string text = fmt::format(
    "drive {} {} {}", speed, heading == MobileBase::Heading::kKeep ? 1 : 0, waypoints.size());
  for (const auto & pose : waypoints) {
    text += fmt::format(" {} {} {}", pose.x, pose.y, pose.yaw);
  }
  return text;
}

std::string formatStatus(const MobileBase::MotionStatus & status)
{
  return fmt::format(
    "{} {} {} {}", status.command, status.active ? 1 : 0, status.reached ? 1 : 0,
    status.waypoints_reached);
}

MobileBase::MotionStatus parseStatus(const std::string & text)
{
  Reader reader(text);
  MobileBase::MotionStatus status;
  status.command = reader.next<std::uint64_t>();
  status.active = reader.next<int>() != 0;
  status.reached = reader.next<int>() != 0;
  status.waypoints_reached = reader.next<std::size_t>();
  reader.end();
  return status;
}

std::string formatPose(const Pose2D & pose)
{
  return fmt::format("{} {} {}", pose.x, pose.y, pose.yaw);
}

Pose2D parsePose(const std::string & text)
{
  Reader reader(text);
  Pose2D pose;
  pose.x = reader.next<double>();
  pose.y = reader.next<double>();
  pose.yaw = reader.next<double>();
  reader.end();
  return pose;
}

std::string formatObstacles(const std::vector<Polygon2D> & obstacles)
{
  std::string text = std::to_string(obstacles.size());
  for (const auto & polygon : obstacles) {
    text += fmt::format(" {}", polygon.size());
    for (const auto & point : polygon) {
      text += fmt::format(" {} {}", point.x, point.y);
    }
  }
  return text;
}

std::vector<Polygon2D> parseObstacles(const std::string & text)
{
  Reader reader(text);
  std::vector<Polygon2D> obstacles(reader.count(1));
  for (auto & polygon : obstacles) {
    polygon.resize(reader.count(2));
    for (auto & point : polygon) {
      point.x = reader.next<double>();
      point.y = reader.next<double>();
    }
  }
  reader.end();
  return obstacles;
}

std::string formatFault(const std::optional<Fault> & fault)
{
  if (!fault) {
    return "none";
  }
  if (fault->kind == Fault::Kind::kAlwaysFailure) {
    return "failure";
  }
  return fmt::format("slow {}", fault->speed_scale);
}

std::optional<Fault> parseFault(const std::string & text)
{
  Reader reader(text);
  const auto kind = reader.next<std::string>();
  Fault fault;
  if (kind == "none") {
    reader.end();
    return std::nullopt;
  }
  if (kind == "failure") {
    fault.kind = Fault::Kind::kAlwaysFailure;
  } else if (kind == "slow") {
    fault.kind = Fault::Kind::kSlow;
    fault.speed_scale = reader.next<double>();
  } else {
    throw std::invalid_argument(fmt::format("malformed simulation world line '{}'", text));
  }
  reader.end();
  return fault;
}

std::string answer(SimWorld & world, const std::string & request)
{
  try {
    Reader reader(request);
    const auto verb = reader.next<std::string>();
    if (verb == "drive") {
      const auto speed = reader.next<double>();
      const auto keep = reader.next<int>() != 0;
      std::vector<Pose2D> waypoints = readPoses(reader);
      reader.end();
      const auto command = world.robot()->drive(
        std::move(waypoints), speed,
        keep ? MobileBase::Heading::kKeep : MobileBase::Heading::kAlongPath);
      return fmt::format("ok {}", command);
    }
    if (verb == "stop") {
      reader.end();
      world.robot()->stop();
      return "ok";
    }
    if (verb == "status") {
      reader.end();
      return "ok " + formatStatus(world.robot()->status());
    }
    if (verb == "pose") {
      reader.end();
      return "ok " + formatPose(world.robot()->pose());
    }
    if (verb == "obstacles") {
      reader.end();
      return "ok " + formatObstacles(world.obstacles());
    }
    if (verb == "fault" || verb == "take-failure") {
      const auto action_id = reader.next<int>();
      reader.end();
      if (verb == "fault") {
        return "ok " + formatFault(world.faultFor(action_id));
      }
      return fmt::format("ok {}", world.takeForcedFailure(action_id) ? 1 : 0);
    }
    return fmt::format("error unknown simulation world request '{}'", request);
  } catch (const std::exception & error) {
    // One line each way: a message never carries the newline that would end it.
    std::string text = error.what();
    for (auto & c : text) {
      c = c == '\n' ? ' ' : c;
    }
    return "error " + text;
  }
}

}  // namespace world_protocol
}  // namespace velmoran_nav2_sim

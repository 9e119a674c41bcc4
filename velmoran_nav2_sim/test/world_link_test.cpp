// The link through which the tree nodes in the decision node's own process reach the robot,
// obstacles and faults of the runner's process.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "velmoran_nav2_sim/remote_robot.hpp"
#include "velmoran_nav2_sim/sim_world.hpp"
#include "velmoran_nav2_sim/world_link.hpp"
#include "velmoran_nav2_sim/world_link_server.hpp"
#include "velmoran_nav2_sim/world_protocol.hpp"

namespace velmoran_nav2_sim
{
namespace
{

using ::testing::HasSubstr;
using ::testing::StartsWith;

/// A base that keeps what it was told.
class RecordingBase : public MobileBase
{
public:
  std::uint64_t drive(std::vector<Pose2D> waypoints, double speed, Heading heading) override
  {
    if (speed < 0.0) {
      throw std::invalid_argument("speed -1 is negative\nsecond line");
    }
    waypoints_ = std::move(waypoints);
    speed_ = speed;
    heading_ = heading;
    return 7;
  }
  void stop() override { ++stops_; }
  MotionStatus status() const override { return {7, true, false, 2}; }
  Pose2D pose() const override { return {0.1, -2.5e-7, 3.141592653589793}; }

  std::vector<Pose2D> waypoints_;
  double speed_ = 0.0;
  Heading heading_ = Heading::kAlongPath;
  int stops_ = 0;
};

class WorldLinkTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    base_ = std::make_shared<RecordingBase>();
    SimWorld::instance().setRobot(base_);
  }
  void TearDown() override { SimWorld::instance().reset(); }

  const std::string address_ = "velmoran_world_link_test_" + std::to_string(getpid());
  std::shared_ptr<RecordingBase> base_;
};

TEST_F(WorldLinkTest, TheRemoteRobotAndWorldAreTheHostsExactly)
{
  SimWorld & world = SimWorld::instance();
  const std::vector<Polygon2D> obstacles{{{1, 1}, {2, 1}, {2, 2.000000000000001}}, {{-3, 0}}};
  world.setObstacles(obstacles);
  world.armFault(3, {Fault::Kind::kSlow, 0.25});
  world.armFault(4, {Fault::Kind::kAlwaysFailure, 1.0});
  const WorldLinkServer server(world, address_);
  const auto link = std::make_shared<WorldLink>(address_);
  RemoteRobot robot(link);

  const std::vector<Pose2D> waypoints{{0.1, 0.2, 0.3}, {1e-7, -2.5, 3.141592653589793}};
  EXPECT_EQ(robot.drive(waypoints, 0.35, MobileBase::Heading::kKeep), 7u);
  ASSERT_EQ(base_->waypoints_.size(), 2u);
  for (std::size_t i = 0; i < waypoints.size(); ++i) {
    EXPECT_EQ(base_->waypoints_[i].x, waypoints[i].x);
    EXPECT_EQ(base_->waypoints_[i].y, waypoints[i].y);
    EXPECT_EQ(base_->waypoints_[i].yaw, waypoints[i].yaw);
  }
  EXPECT_EQ(base_->speed_, 0.35);
  EXPECT_EQ(base_->heading_, MobileBase::Heading::kKeep);
  robot.stop();
  EXPECT_EQ(base_->stops_, 1);
  const auto status = robot.status();
  EXPECT_EQ(status.command, 7u);
  EXPECT_TRUE(status.active);
  EXPECT_FALSE(status.reached);
  EXPECT_EQ(status.waypoints_reached, 2u);
  EXPECT_EQ(robot.pose().y, -2.5e-7);
  EXPECT_EQ(robot.pose().yaw, 3.141592653589793);

  const auto crossed = world_protocol::parseObstacles(link->call("obstacles"));
  ASSERT_EQ(crossed.size(), 2u);
  EXPECT_EQ(crossed[0][2].y, 2.000000000000001);
  EXPECT_EQ(crossed[1].size(), 1u);
  const auto slow = world_protocol::parseFault(link->call("fault 3"));
  ASSERT_TRUE(slow.has_value());
  EXPECT_EQ(slow->speed_scale, 0.25);
  EXPECT_FALSE(world_protocol::parseFault(link->call("fault 5")).has_value());
  // A forced failure fires once.
  EXPECT_EQ(link->call("take-failure 4"), "1");
  EXPECT_EQ(link->call("take-failure 4"), "0");

  // The host's refusal reaches the caller as its own, on one line.
  try {
    robot.drive(waypoints, -1.0, MobileBase::Heading::kAlongPath);
    FAIL() << "a negative speed was accepted";
  } catch (const std::invalid_argument & error) {
    EXPECT_STREQ(error.what(), "speed -1 is negative second line");
  }
  EXPECT_EQ(robot.status().command, 7u);
}

TEST_F(WorldLinkTest, MalformedLinesAreRefusedNamingThem)
{
  const std::vector<std::string> requests{
    "",
    "fly",
    "stop now",
    "drive 1 0 2 0 0 0",
    "drive 1 0 99999999999 0 0 0",
    "drive 1 0 -1",
    "drive fast 0 1 0 0 0",
    "fault",
    "fault x",
    "take-failure 1 2",
  };
  for (const auto & request : requests) {
    const std::string answer = world_protocol::answer(SimWorld::instance(), request);
    EXPECT_THAT(answer, StartsWith("error ")) << request;
    EXPECT_THAT(answer, HasSubstr("'" + request + "'")) << request;
  }
  EXPECT_TRUE(base_->waypoints_.empty());

  const std::vector<std::string> answers{"1 1", "7 1 0 2 extra", "x 0 0 0"};
  for (const auto & answer : answers) {
    EXPECT_THROW(world_protocol::parseStatus(answer), std::invalid_argument) << answer;
  }
  EXPECT_THROW(world_protocol::parseObstacles("3 1 0 0"), std::invalid_argument);
  EXPECT_THROW(world_protocol::parseFault("sometimes"), std::invalid_argument);
  EXPECT_THROW(world_protocol::parsePose("1 2"), std::invalid_argument);
}

TEST_F(WorldLinkTest, AHostThatIsGoneIsAnError)
{
  EXPECT_THAT(
    [this]() { WorldLink link(address_); },
    ::testing::ThrowsMessage<std::runtime_error>(
      HasSubstr("cannot reach the simulation world at '" + address_)));
  auto server = std::make_unique<WorldLinkServer>(SimWorld::instance(), address_);
  WorldLink link(address_);
  EXPECT_EQ(link.call("stop"), "");
  server.reset();
  EXPECT_THAT(
    [&link]() { link.call("stop"); }, ::testing::ThrowsMessage<std::runtime_error>(HasSubstr(
                                        "the simulation world at '" + address_ + "' is gone")));
}

}  // namespace
}  // namespace velmoran_nav2_sim

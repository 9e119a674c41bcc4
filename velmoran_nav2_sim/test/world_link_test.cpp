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

TEST_F(WorldLinkTest, RequestsGetTheHostsExactAnswers)
{
  SimWorld & world = SimWorld::instance();
  world.setObstacles({{{1, 1}, {2, 1}, {2, 2.000000000000001}}, {{-3, 0}}});
  world.armFault(3, {Fault::Kind::kSlow, 0.25});
  world.armFault(4, {Fault::Kind::kAlwaysFailure, 1.0});
  const WorldLinkServer server(world, address_);
  const auto link = std::make_shared<WorldLink>(address_);

  const std::vector<Pose2D> waypoints{{0.1, 0.2, 0.3}, {1e-7, -2.5, 3.141592653589793}};
  struct Case
  {
    std::string request;
    std::string answer;
    std::string refusal;  ///< the host's error, which the caller gets as its own
  };
  const std::vector<Case> cases{
    {world_protocol::driveRequest(waypoints, 0.35, MobileBase::Heading::kKeep), "7", ""},
    // On one line, as every answer is.
    {world_protocol::driveRequest(waypoints, -1.0, MobileBase::Heading::kAlongPath), "",
     "speed -1 is negative second line"},
    {"stop", "", ""},
    {"status", "7 1 0 2", ""},
    {"pose", "0.1 -2.5e-07 3.141592653589793", ""},
    {"obstacles", "2 3 1 1 2 1 2 2.000000000000001 1 -3 0", ""},
    {"fault 3", "slow 0.25", ""},
    {"fault 4", "failure", ""},
    {"fault 5", "none", ""},
    // A forced failure fires once.
    {"take-failure 4", "1", ""},
    {"take-failure 4", "0", ""},
  };
  for (const auto & test_case : cases) {
    if (test_case.refusal.empty()) {
      EXPECT_EQ(link->call(test_case.request), test_case.answer) << test_case.request;
    } else {
      EXPECT_THAT(
        [&]() { link->call(test_case.request); },
        ::testing::ThrowsMessage<std::invalid_argument>(test_case.refusal))
        << test_case.request;
    }
  }
  // The accepted drive reached the base with every number as it was sent.
  ASSERT_EQ(base_->waypoints_.size(), 2u);
  for (std::size_t i = 0; i < waypoints.size(); ++i) {
    EXPECT_EQ(base_->waypoints_[i].x, waypoints[i].x);
    EXPECT_EQ(base_->waypoints_[i].y, waypoints[i].y);
    EXPECT_EQ(base_->waypoints_[i].yaw, waypoints[i].yaw);
  }
  EXPECT_EQ(base_->speed_, 0.35);
  EXPECT_EQ(base_->heading_, MobileBase::Heading::kKeep);
  EXPECT_EQ(base_->stops_, 1);

  // The remote robot reads those answers back into the host's numbers exactly.
  RemoteRobot robot(link);
  EXPECT_EQ(robot.drive(waypoints, 0.35, MobileBase::Heading::kAlongPath), 7u);
  EXPECT_EQ(base_->heading_, MobileBase::Heading::kAlongPath);
  robot.stop();
  EXPECT_EQ(base_->stops_, 2);
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
  EXPECT_EQ(world_protocol::parseFault(link->call("fault 3"))->speed_scale, 0.25);
  EXPECT_FALSE(world_protocol::parseFault(link->call("fault 5")).has_value());
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

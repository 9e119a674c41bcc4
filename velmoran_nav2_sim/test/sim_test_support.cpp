#include "sim_test_support.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "velmoran_nav2_sim/sim_world.hpp"

namespace velmoran_nav2_sim::test
{

namespace
{
class RosEnvironment : public ::testing::Environment
{
public:
  void SetUp() override { rclcpp::init(0, nullptr); }
  void TearDown() override { rclcpp::shutdown(); }
};

const auto * const kRosEnvironment = ::testing::AddGlobalTestEnvironment(new RosEnvironment);
}  // namespace

RobotFixture::RobotFixture(double time_factor, Pose2D start)
{
  SimRobot::Options options;
  options.time_factor = time_factor;
  options.start = start;
  robot_ = std::make_shared<SimRobot>(options);
  SimWorld::instance().setRobot(robot_);
  spinner_.add(robot_->node());
}

RobotFixture::~RobotFixture()
{
  spinner_.stop();
  SimWorld::instance().reset();
}

BT::Tree simTree(const std::string & body, const BT::Blackboard::Ptr & blackboard)
{
  static const std::unique_ptr<BT::BehaviorTreeFactory> factory = []() {
    auto loaded = std::make_unique<BT::BehaviorTreeFactory>();
    loaded->registerFromPlugin(VELMORAN_SIM_NODES_LIBRARY);
    return loaded;
  }();
  return factory->createTreeFromText(
    "<root main_tree_to_execute=\"MainTree\"><BehaviorTree ID=\"MainTree\">" + body +
      "</BehaviorTree></root>",
    blackboard);
}

BT::NodeStatus tickUntilDone(BT::Tree & tree, SimRobot & robot, std::chrono::milliseconds timeout)
{
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  BT::NodeStatus status = tree.tickRoot();
  while (status == BT::NodeStatus::RUNNING && std::chrono::steady_clock::now() < deadline) {
    const double now = robot.simTime();
    robot.waitFor([&]() { return robot.simTime() > now; }, std::chrono::milliseconds(200));
    status = tree.tickRoot();
  }
  return status;
}

double speedUnderWay(
  const std::vector<SimRobot::Sample> & trajectory,
  const std::function<bool(const Pose2D &)> & under_way)
{
  const SimRobot::Sample * first = nullptr;
  const SimRobot::Sample * previous = nullptr;
  double length = 0.0;
  for (const auto & sample : trajectory) {
    if (!under_way(sample.pose)) {
      continue;
    }
    if (previous == nullptr) {
      first = &sample;
    } else {
      length += std::hypot(sample.pose.x - previous->pose.x, sample.pose.y - previous->pose.y);
    }
    previous = &sample;
  }
  if (first == nullptr || previous->sim_time <= first->sim_time) {
    return NAN;
  }
  return length / (previous->sim_time - first->sim_time);
}

}  // namespace velmoran_nav2_sim::test

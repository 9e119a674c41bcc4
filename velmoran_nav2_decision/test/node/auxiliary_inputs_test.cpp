// The decision node's smaller inputs: emergency stop, stop requests, the arm-retraction check and
// the two goal forwarders.
#include <chrono>
#include <fstream>
#include <future>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <lifecycle_msgs/msg/state.hpp>
#include <rclcpp_action/rclcpp_action.hpp>
#include <std_srvs/srv/set_bool.hpp>
#include <velmoran_protocol/msg/robot_info_level_zero.hpp>
#include <velmoran_protocol/srv/arm_retract_detect.hpp>

#include "node_test_support.hpp"

namespace velmoran::test
{
namespace
{

using namespace std::chrono_literals;
using ArmRetractDetect = velmoran_protocol::srv::ArmRetractDetect;
using RobotInfoLevelZero = velmoran_protocol::msg::RobotInfoLevelZero;
using NavigateToPose = nav2_msgs::action::NavigateToPose;

geometry_msgs::msg::PoseStamped poseAt(double x, double y)
{
  geometry_msgs::msg::PoseStamped pose;
  pose.header.frame_id = "map";
  pose.pose.position.x = x;
  pose.pose.position.y = y;
  return pose;
}

class AuxiliaryInputsTest : public ::testing::Test
{
protected:
  void start(std::vector<rclcpp::Parameter> parameters = {})
  {
    parameters.emplace_back("behavior_tree", std::string(VELMORAN_CONFIG_DIR "/minimal_tree.xml"));
    node_ = std::make_shared<NodeProbe>(optionsWith(parameters), records_.withSlash());
    node_->init();
    ASSERT_EQ(lifecycle_msgs::msg::State::PRIMARY_STATE_ACTIVE, node_->get_current_state().id());
    client_ = rclcpp::Node::make_shared("auxiliary_inputs_test_client");
    spinner_ =
      std::make_unique<Spinner>(std::vector<rclcpp::node_interfaces::NodeBaseInterface::SharedPtr>{
        node_->get_node_base_interface(), client_->get_node_base_interface()});
  }

  void TearDown() override
  {
    spinner_.reset();
    node_.reset();
  }

  bool needRetract(const std::vector<geometry_msgs::msg::PoseStamped> & points)
  {
    auto service = client_->create_client<ArmRetractDetect>("/arm_retract_detect");
    EXPECT_TRUE(service->wait_for_service(2s));
    auto request = std::make_shared<ArmRetractDetect::Request>();
    request->recommand_work_points = points;
    auto response = service->async_send_request(request);
    EXPECT_EQ(std::future_status::ready, response.wait_for(5s));
    return response.get()->need_retract;
  }

  TemporaryDirectory records_;
  std::shared_ptr<NodeProbe> node_;
  rclcpp::Node::SharedPtr client_;
  std::unique_ptr<Spinner> spinner_;
  LogCapture & log_ = LogCapture::instance();
};

TEST_F(AuxiliaryInputsTest, EmergencyStopIsMirroredAndOnlyTheHeldStateIsLogged)
{
  start();
  auto publisher = client_->create_publisher<RobotInfoLevelZero>("/robot_info_level_zero", 1);
  ASSERT_TRUE(waitUntil([&] { return publisher->get_subscription_count() > 0; }));
  const std::size_t from = log_.mark();

  RobotInfoLevelZero held;
  held.emergency_stop = true;
  publisher->publish(held);
  ASSERT_TRUE(log_.waitFor("emergency_stop is true", from));
  EXPECT_TRUE(node_->emergency_stop_flag_->load());
  EXPECT_EQ("./src/nav_decision_inputs.cpp", log_.find("emergency_stop is", from).file);

  publisher->publish(RobotInfoLevelZero());
  EXPECT_TRUE(waitUntil([&] { return !node_->emergency_stop_flag_->load(); }));
  EXPECT_EQ(1U, log_.count("emergency_stop is", from));
}

TEST_F(AuxiliaryInputsTest, StopTaskRaisesTheFlagWhateverTheRequestSays)
{
  start();
  auto stop_task = client_->create_client<std_srvs::srv::SetBool>("stop_task");
  ASSERT_TRUE(stop_task->wait_for_service(2s));
  auto request = std::make_shared<std_srvs::srv::SetBool::Request>();
  request->data = false;
  auto response = stop_task->async_send_request(request);
  ASSERT_EQ(std::future_status::ready, response.wait_for(5s));
  const auto answer = response.get();
  EXPECT_FALSE(answer->success);
  EXPECT_EQ("", answer->message);
  EXPECT_TRUE(node_->stop_task_flag_->load());
}

TEST_F(AuxiliaryInputsTest, ArmCheckWithoutPointsAsksForRetraction)
{
  start();
  const std::size_t from = log_.mark();
  EXPECT_TRUE(needRetract({}));
  EXPECT_NE(
    std::string::npos,
    log_.indexOf("Recived the number of recommand work points for detecting is: 0", from));
  EXPECT_NE(
    std::string::npos,
    log_.indexOf("Robotic arm retraction check completed, need_retract: true", from));
}

TEST_F(AuxiliaryInputsTest, ArmCheckComparesTheThresholdWithTheSquaredDistance)
{
  // Without a transform the robot pose stays at the origin.
  start();
  // 0.1 m away: the squared distance 0.01 is within the default threshold of 0.02.
  EXPECT_FALSE(needRetract({poseAt(3.0, 3.0), poseAt(0.1, 0.0)}));
  // 0.15 m away: 0.0225 is not.
  EXPECT_TRUE(needRetract({poseAt(0.15, 0.0)}));
}

TEST_F(AuxiliaryInputsTest, ArmCheckExactlyAtTheThresholdNeedsNoRetraction)
{
  // 0.25 is exact in single and double precision: the point 0.5 m away sits on the threshold.
  start({rclcpp::Parameter("eucleadian_dist_thr", 0.25)});
  EXPECT_FALSE(needRetract({poseAt(0.5, 0.0)}));
  EXPECT_FALSE(needRetract({poseAt(0.0, -0.5)}));
  EXPECT_TRUE(needRetract({poseAt(0.5000001, 0.0)}));
}

TEST_F(AuxiliaryInputsTest, ArmCheckWhosePoseLookUpThrowsAsksForRetraction)
{
  start();
  node_->pose_lookup_throws.store(true);
  const std::size_t from = log_.mark();
  // Right next to the point: only the failed look-up can ask for retraction.
  EXPECT_TRUE(needRetract({poseAt(0.0, 0.0)}));
  const CapturedLine error =
    log_.find("Get current robot pose failded: transform tree unavailable", from);
  EXPECT_EQ(spdlog::level::err, error.level);
  EXPECT_EQ("ArmRetractDetectCallback", error.function);
  EXPECT_EQ(std::string::npos, log_.indexOf("Robotic arm retraction check completed", from));
}

TEST_F(AuxiliaryInputsTest, GoalPoseBecomesAPlannerJobWithTheDefaultRunMode)
{
  start({rclcpp::Parameter("default_run_mode", 300)});
  auto publisher = client_->create_publisher<geometry_msgs::msg::PoseStamped>("goal_pose", 10);
  ASSERT_TRUE(waitUntil([&] { return publisher->get_subscription_count() > 0; }));
  const std::size_t from = log_.mark();
  publisher->publish(poseAt(1.5, -2.0));

  ASSERT_TRUE(log_.waitFor("navigation from rivz step in NavDecision::goalCallback", from));
  ASSERT_TRUE(log_.waitFor(
    "navigateToPose isNewGoalAvailable, receive goals,run mode is: 300, goal_pose size: 1, goal "
    "zone size: 0",
    from));
  ASSERT_TRUE(log_.waitFor("behavior tree tick over", from));
  std::ifstream record(std::filesystem::directory_iterator(records_.path())->path());
  std::stringstream text;
  text << record.rdbuf();
  EXPECT_EQ("1.5 -2 0 1 0 0 0\n", text.str());
}

TEST_F(AuxiliaryInputsTest, NavigateToPoseSucceedsAtOnceAndIsForwarded)
{
  start();
  auto action = rclcpp_action::create_client<NavigateToPose>(client_, "navigate_to_pose");
  ASSERT_TRUE(action->wait_for_action_server(2s));
  const std::size_t from = log_.mark();
  NavigateToPose::Goal goal;
  goal.pose = poseAt(4.0, 5.0);
  auto goal_handle = action->async_send_goal(goal);
  ASSERT_EQ(std::future_status::ready, goal_handle.wait_for(5s));
  ASSERT_NE(nullptr, goal_handle.get());
  auto result = action->async_get_result(goal_handle.get());
  ASSERT_EQ(std::future_status::ready, result.wait_for(5s));
  EXPECT_EQ(rclcpp_action::ResultCode::SUCCEEDED, result.get().code);
  EXPECT_NE(
    std::string::npos,
    log_.indexOf("navigation from rivz step in NavDecision::navigateToPoseRviz", from));
  ASSERT_TRUE(log_.waitFor(
    "navigateToPose isNewGoalAvailable, receive goals,run mode is: 0, goal_pose size: 1", from));
}

}  // namespace
}  // namespace velmoran::test

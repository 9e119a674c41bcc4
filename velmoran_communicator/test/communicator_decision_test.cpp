#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <string>

#include <geometry_msgs/msg/twist.hpp>
#include <rclcpp/rclcpp.hpp>
#include <std_msgs/msg/string.hpp>

#include "velmoran_communicator/communicator_decision.hpp"

namespace
{
using velmoran_communicator::CommunicatorDecision;
using namespace std::chrono_literals;

/// Receives the first message of a topic.
template <typename Message>
class FirstMessage
{
public:
  FirstMessage(rclcpp::Node & node, const std::string & topic)
  : subscription_(node.create_subscription<Message>(
      topic, 10, [this](typename Message::ConstSharedPtr message) {
        if (!received_) {
          received_ = true;
          promise_.set_value(*message);
        }
      }))
  {
  }

  /// The message, or nothing after the time-out.
  std::optional<Message> wait(rclcpp::Executor & executor)
  {
    auto future = promise_.get_future();
    if (executor.spin_until_future_complete(future, 5s) != rclcpp::FutureReturnCode::SUCCESS) {
      return std::nullopt;
    }
    return future.get();
  }

private:
  bool received_ = false;
  std::promise<Message> promise_;
  typename rclcpp::Subscription<Message>::SharedPtr subscription_;
};

class CommunicatorDecisionTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { rclcpp::init(0, nullptr); }

  static void TearDownTestSuite() { rclcpp::shutdown(); }

  CommunicatorDecisionTest() { executor_.add_node(listener_); }

  rclcpp::Node::SharedPtr listener_ = std::make_shared<rclcpp::Node>("communicator_listener");
  rclcpp::executors::SingleThreadedExecutor executor_;
};

TEST_F(CommunicatorDecisionTest, OneInstancePerProcess)
{
  const auto communicator = CommunicatorDecision::instance();
  ASSERT_TRUE(communicator);
  EXPECT_EQ(communicator, CommunicatorDecision::instance());
  EXPECT_EQ(communicator->cmd_vel(), CommunicatorDecision::instance()->cmd_vel());
  EXPECT_TRUE(communicator->err_code());
}

TEST_F(CommunicatorDecisionTest, ZeroVelocityIsAnAllZeroTwistOnCmdVel)
{
  FirstMessage<geometry_msgs::msg::Twist> twist(*listener_, "cmd_vel");
  CommunicatorDecision::instance()->cmd_vel()->publishZeroVelocity();
  const auto received = twist.wait(executor_);
  ASSERT_TRUE(received);
  EXPECT_EQ(geometry_msgs::msg::Twist(), *received);
}

TEST_F(CommunicatorDecisionTest, RecordingRequestNamesTheNodeAndTheTag)
{
  FirstMessage<std_msgs::msg::String> request(*listener_, "active_trigger_rosbag");
  CommunicatorDecision::instance()->err_code()->publishActiveTriggerRosbag(
    "velmoran_nav2_decision", "failed_to_navigate_to_point");
  const auto received = request.wait(executor_);
  ASSERT_TRUE(received);
  EXPECT_EQ("velmoran_nav2_decision:failed_to_navigate_to_point", received->data);
}

}  // namespace

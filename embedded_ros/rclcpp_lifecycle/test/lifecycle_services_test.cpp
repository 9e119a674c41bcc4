// The lifecycle services and the transition events of a lifecycle node.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include <lifecycle_msgs/msg/transition.hpp>
#include <lifecycle_msgs/msg/transition_event.hpp>
#include <lifecycle_msgs/srv/change_state.hpp>
#include <lifecycle_msgs/srv/get_state.hpp>
#include <rclcpp/rclcpp.hpp>
#include <rclcpp_lifecycle/lifecycle_node.hpp>

namespace
{
using lifecycle_msgs::msg::Transition;

class LifecycleServicesTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { rclcpp::init(0, nullptr); }
  static void TearDownTestSuite() { rclcpp::shutdown(); }

  void SetUp() override
  {
    node_ = std::make_shared<rclcpp_lifecycle::LifecycleNode>("managed", "/robot");
    client_node_ = std::make_shared<rclcpp::Node>("manager");
    executor_.add_node(node_->get_node_base_interface());
    executor_.add_node(client_node_);
  }

  template <typename FutureT>
  auto wait(FutureT future)
  {
    EXPECT_EQ(
      executor_.spin_until_future_complete(future, std::chrono::seconds(5)),
      rclcpp::FutureReturnCode::SUCCESS);
    return future.get();
  }

  std::shared_ptr<rclcpp_lifecycle::LifecycleNode> node_;
  std::shared_ptr<rclcpp::Node> client_node_;
  rclcpp::executors::SingleThreadedExecutor executor_;
};

TEST_F(LifecycleServicesTest, ChangeStateAndGetStateServices)
{
  auto change_state =
    client_node_->create_client<lifecycle_msgs::srv::ChangeState>("/robot/managed/change_state");
  auto get_state =
    client_node_->create_client<lifecycle_msgs::srv::GetState>("/robot/managed/get_state");
  ASSERT_TRUE(change_state->wait_for_service(std::chrono::seconds(5)));

  auto request = std::make_shared<lifecycle_msgs::srv::ChangeState::Request>();
  request->transition.id = Transition::TRANSITION_CONFIGURE;
  EXPECT_TRUE(wait(change_state->async_send_request(request).share())->success);

  request->transition.id = 0;
  request->transition.label = "activate";
  EXPECT_TRUE(wait(change_state->async_send_request(request).share())->success);
  EXPECT_EQ(node_->get_current_state().label(), "active");

  auto state =
    wait(get_state->async_send_request(std::make_shared<lifecycle_msgs::srv::GetState::Request>())
           .share());
  EXPECT_EQ(state->current_state.label, "active");

  request->transition.label = "configure";  // not possible from active
  EXPECT_FALSE(wait(change_state->async_send_request(request).share())->success);
  EXPECT_EQ(node_->get_current_state().label(), "active");
}

TEST_F(LifecycleServicesTest, EveryStateChangeIsPublished)
{
  std::vector<lifecycle_msgs::msg::TransitionEvent> events;
  auto subscription = client_node_->create_subscription<lifecycle_msgs::msg::TransitionEvent>(
    "/robot/managed/transition_event", 10,
    [&events](const lifecycle_msgs::msg::TransitionEvent & event) { events.push_back(event); });
  node_->configure();
  executor_.spin_all(std::chrono::seconds(1));
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].transition.label, "configure");
  EXPECT_EQ(events[0].start_state.label, "unconfigured");
  EXPECT_EQ(events[0].goal_state.label, "configuring");
  EXPECT_EQ(events[1].transition.id, Transition::TRANSITION_ON_CONFIGURE_SUCCESS);
  EXPECT_EQ(events[1].goal_state.label, "inactive");
}

TEST_F(LifecycleServicesTest, NoServicesWithoutTheCommunicationInterface)
{
  auto quiet =
    std::make_shared<rclcpp_lifecycle::LifecycleNode>("quiet", rclcpp::NodeOptions(), false);
  for (const auto & service : quiet->get_service_names_and_types()) {
    EXPECT_EQ(service.first.find("/quiet/change_state"), std::string::npos);
  }
  EXPECT_EQ(quiet->configure().label(), "inactive");
}

}  // namespace

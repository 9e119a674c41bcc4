#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "nav2_msgs/action/navigate_to_pose.hpp"
#include "nav2_util/node_thread.hpp"
#include "rclcpp/rclcpp.hpp"
#include "rclcpp_action/rclcpp_action.hpp"
#include "recording_sink.hpp"
#include "ros_log_capture.hpp"
#include "velmoran_nav2_base_class/velmoran_simple_action_server.hpp"

namespace velmoran::test
{

/// A VelmoranSimpleActionServer on "navigate_to_pose" with its own spin thread, and an action client
/// of the same process on a second node. Each test scripts the execute callback with `onExecute`.
class ActionServerFixture : public ::testing::Test
{
protected:
  using Action = nav2_msgs::action::NavigateToPose;
  using Server = nav2_util::VelmoranSimpleActionServer<Action>;
  using Client = rclcpp_action::Client<Action>;
  using ClientGoalHandle = rclcpp_action::ClientGoalHandle<Action>;
  using ResultCode = rclcpp_action::ResultCode;

  static constexpr const char * kActionName = "navigate_to_pose";
  static constexpr std::chrono::seconds kTimeout{5};

  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  /// Builds the server; the fixture's own server is built by SetUp, not yet activated.
  std::unique_ptr<Server> makeServer(Server::CompletionCallback completion_callback = nullptr);

  /// Sends a goal named `name` (its behavior_tree field); the client's handle, or nullptr if rejected.
  std::shared_ptr<ClientGoalHandle> sendGoal(const std::string & name);
  /// Starts sending a goal without waiting for the server's answer.
  std::shared_future<std::shared_ptr<ClientGoalHandle>> sendGoalAsync(const std::string & name);
  /// The goal's final status as the client receives it.
  ResultCode resultOf(const std::shared_ptr<ClientGoalHandle> & handle);
  /// Asks the server to cancel the goal and waits for its answer; true if accepted.
  bool cancel(const std::shared_ptr<ClientGoalHandle> & handle);

  /// Waits until the execute callback has been started `times` times in all.
  bool waitForExecutions(std::size_t times);
  std::vector<std::string> executedGoals();
  /// Waits until the client has received `count` feedback messages in all.
  bool waitForFeedback(std::size_t count);

  /// The server's ROS log text for `message`.
  static std::string serverLine(const std::string & message);

  std::function<void(const std::string & goal_name)> onExecute;

  RosLogCapture ros_log_;
  rclcpp::Node::SharedPtr server_node_;
  std::unique_ptr<Server> server_;

private:
  void execute();

  rclcpp::Node::SharedPtr client_node_;
  Client::SharedPtr client_;
  std::unique_ptr<nav2_util::NodeThread> client_thread_;

  std::mutex mutex_;
  std::condition_variable cv_;
  std::vector<std::string> executed_goals_;
  std::size_t feedback_received_{0};
};

}  // namespace velmoran::test

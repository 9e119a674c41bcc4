#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "rclcpp/rclcpp.hpp"
#include "ros_fixture.hpp"
#include "std_srvs/srv/set_bool.hpp"
#include "std_srvs/srv/trigger.hpp"

namespace
{

using std_srvs::srv::SetBool;
using std_srvs::srv::Trigger;
using namespace std::chrono_literals;

class ServicesTest : public RosTest
{
};

/// A server node spun by its own executor on a background thread.
class ServerThread
{
public:
  explicit ServerThread(rclcpp::Node::SharedPtr node) : node_(node)
  {
    executor_.add_node(node_);
    thread_ = std::thread([this] { executor_.spin(); });
  }
  ~ServerThread()
  {
    executor_.cancel();
    thread_.join();
  }

private:
  rclcpp::Node::SharedPtr node_;
  rclcpp::executors::SingleThreadedExecutor executor_;
  std::thread thread_;
};

rclcpp::Service<SetBool>::SharedPtr make_echo_service(const rclcpp::Node::SharedPtr & node)
{
  return node->create_service<SetBool>(
    "/robot/toggle", [](
                       const std::shared_ptr<SetBool::Request> request,
                       std::shared_ptr<SetBool::Response> response) {
      response->success = request->data;
      response->message = request->data ? "on" : "off";
    });
}

TEST_F(ServicesTest, RequestAndResponseAcrossExecutors)
{
  auto server_node = std::make_shared<rclcpp::Node>("server");
  auto client_node = std::make_shared<rclcpp::Node>("client");
  auto service = make_echo_service(server_node);
  ServerThread server(server_node);

  auto client = client_node->create_client<SetBool>("/robot/toggle");
  ASSERT_TRUE(client->wait_for_service(1s));
  EXPECT_TRUE(client->service_is_ready());
  auto request = std::make_shared<SetBool::Request>();
  request->data = true;
  auto result = client->async_send_request(request);
  ASSERT_EQ(
    rclcpp::spin_until_future_complete(client_node, result, 5s), rclcpp::FutureReturnCode::SUCCESS);
  auto response = result.get();
  EXPECT_TRUE(response->success);
  EXPECT_EQ(response->message, "on");
}

TEST_F(ServicesTest, CallbackVariantRunsInClientExecutor)
{
  auto node = std::make_shared<rclcpp::Node>("both");
  auto service = make_echo_service(node);
  auto client = node->create_client<SetBool>("/robot/toggle");
  auto request = std::make_shared<SetBool::Request>();
  request->data = false;
  std::string message;
  auto future_and_id = client->async_send_request(
    request,
    [&message](rclcpp::Client<SetBool>::SharedFuture future) { message = future.get()->message; });
  EXPECT_GT(future_and_id.request_id, 0);
  ASSERT_EQ(
    rclcpp::spin_until_future_complete(node, future_and_id.future, 5s),
    rclcpp::FutureReturnCode::SUCCESS);
  EXPECT_EQ(message, "off");
}

TEST_F(ServicesTest, ServiceWithRequestHeader)
{
  auto node = std::make_shared<rclcpp::Node>("with_header");
  int64_t seen_sequence = -1;
  auto service = node->create_service<Trigger>(
    "trigger",
    [&seen_sequence](
      const std::shared_ptr<rmw_request_id_t> header, const std::shared_ptr<Trigger::Request>,
      std::shared_ptr<Trigger::Response> response) {
      seen_sequence = header->sequence_number;
      response->success = true;
    });
  EXPECT_STREQ(service->get_service_name(), "/trigger");
  auto client = node->create_client<Trigger>("trigger");
  auto result = client->async_send_request(std::make_shared<Trigger::Request>());
  ASSERT_EQ(
    rclcpp::spin_until_future_complete(node, result, 5s), rclcpp::FutureReturnCode::SUCCESS);
  EXPECT_EQ(seen_sequence, result.request_id);
  EXPECT_TRUE(result.get()->success);
}

TEST_F(ServicesTest, WaitForServiceTimesOutAndSpinTimesOut)
{
  auto node = std::make_shared<rclcpp::Node>("lonely");
  auto client = node->create_client<Trigger>("nobody_home");
  EXPECT_FALSE(client->service_is_ready());
  EXPECT_FALSE(client->wait_for_service(50ms));
  auto result = client->async_send_request(std::make_shared<Trigger::Request>());
  EXPECT_EQ(
    rclcpp::spin_until_future_complete(node, result, 50ms), rclcpp::FutureReturnCode::TIMEOUT);
}

TEST_F(ServicesTest, WaitForServiceWakesWhenServerAppears)
{
  auto node = std::make_shared<rclcpp::Node>("waiter");
  auto client = node->create_client<Trigger>("late_service");
  auto server_node = std::make_shared<rclcpp::Node>("late_server");
  rclcpp::Service<Trigger>::SharedPtr service;
  std::thread creator([&] {
    service = server_node->create_service<Trigger>(
      "late_service", [](std::shared_ptr<Trigger::Request>, std::shared_ptr<Trigger::Response>) {});
  });
  EXPECT_TRUE(client->wait_for_service(5s));
  creator.join();
}

TEST_F(ServicesTest, WaitForServiceReturnsFalseOnShutdown)
{
  auto node = std::make_shared<rclcpp::Node>("waiter");
  auto client = node->create_client<Trigger>("never");
  std::thread stopper([] { rclcpp::shutdown(); });
  EXPECT_FALSE(client->wait_for_service(std::chrono::seconds(30)));
  stopper.join();
}

}  // namespace

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "rclcpp/rclcpp.hpp"
#include "ros_fixture.hpp"

namespace
{

using namespace std::chrono_literals;

/// A costmap-like node whose "enabled" layer switch can be refused.
class CostmapNode
{
public:
  CostmapNode()
  {
    node = std::make_shared<rclcpp::Node>("local_costmap", "local_costmap");
    node->declare_parameter("obstacle_layer.enabled", true);
    node->declare_parameter("inflation_radius", 0.55);
    handle =
      node->add_on_set_parameters_callback([this](const std::vector<rclcpp::Parameter> & ps) {
        rcl_interfaces::msg::SetParametersResult result;
        result.successful = true;
        for (const auto & parameter : ps) {
          if (parameter.get_name() == "inflation_radius" && refuse_inflation) {
            result.successful = false;
            result.reason = "inflation is locked";
          }
        }
        return result;
      });
    executor.add_node(node);
    thread = std::thread([this] { executor.spin(); });
  }
  ~CostmapNode()
  {
    executor.cancel();
    thread.join();
  }

  rclcpp::Node::SharedPtr node;
  rclcpp::Node::OnSetParametersCallbackHandle::SharedPtr handle;
  bool refuse_inflation = true;
  rclcpp::executors::SingleThreadedExecutor executor;
  std::thread thread;
};

class ParameterClientTest : public RosTest
{
};

TEST_F(ParameterClientTest, SetsGetsAndReportsRefusal)
{
  CostmapNode costmap;
  auto client_node = std::make_shared<rclcpp::Node>("client_node");
  rclcpp::SyncParametersClient client(client_node, "/local_costmap/local_costmap");
  ASSERT_TRUE(client.wait_for_service(2s));

  EXPECT_TRUE(client.has_parameter("obstacle_layer.enabled"));
  EXPECT_FALSE(client.has_parameter("no_such_parameter"));

  auto results = client.set_parameters(
    {rclcpp::Parameter("obstacle_layer.enabled", false),
     rclcpp::Parameter("inflation_radius", 1.0)});
  ASSERT_EQ(results.size(), 2u);
  EXPECT_TRUE(results[0].successful);
  EXPECT_FALSE(results[1].successful);
  EXPECT_EQ(results[1].reason, "inflation is locked");

  auto values = client.get_parameters({"obstacle_layer.enabled", "inflation_radius"});
  ASSERT_EQ(values.size(), 2u);
  EXPECT_FALSE(values[0].as_bool());
  EXPECT_DOUBLE_EQ(values[1].as_double(), 0.55);
  EXPECT_DOUBLE_EQ(client.get_parameter<double>("inflation_radius"), 0.55);
  EXPECT_EQ(client.get_parameter<int>("missing", 4), 4);

  auto atomic = client.set_parameters_atomically(
    {rclcpp::Parameter("obstacle_layer.enabled", true),
     rclcpp::Parameter("inflation_radius", 2.0)});
  EXPECT_FALSE(atomic.successful);
  EXPECT_FALSE(costmap.node->get_parameter("obstacle_layer.enabled").as_bool());

  auto undeclared = client.set_parameters({rclcpp::Parameter("undeclared", 1)});
  ASSERT_EQ(undeclared.size(), 1u);
  EXPECT_FALSE(undeclared[0].successful);
  EXPECT_EQ(
    undeclared[0].reason, "parameter 'undeclared' cannot be set because it was not declared");
}

TEST_F(ParameterClientTest, MissingRemoteNodeTimesOut)
{
  auto client_node = std::make_shared<rclcpp::Node>("client_node");
  rclcpp::SyncParametersClient client(client_node, "/nobody");
  EXPECT_FALSE(client.wait_for_service(50ms));
  EXPECT_TRUE(client.get_parameters({"x"}, 50ms).empty());
  EXPECT_THROW(
    client.set_parameters_atomically({rclcpp::Parameter("x", 1)}, 50ms), std::runtime_error);
}

TEST_F(ParameterClientTest, OwnParametersThroughAsyncClient)
{
  auto node = std::make_shared<rclcpp::Node>("self");
  node->declare_parameter("value", 1);
  auto client = std::make_shared<rclcpp::AsyncParametersClient>(node);
  ASSERT_TRUE(client->wait_for_service(1s));
  auto future = client->set_parameters({rclcpp::Parameter("value", 2)});
  ASSERT_EQ(
    rclcpp::spin_until_future_complete(node, future, 5s), rclcpp::FutureReturnCode::SUCCESS);
  EXPECT_TRUE(future.get().at(0).successful);
  EXPECT_EQ(node->get_parameter("value").as_int(), 2);
  auto types = client->get_parameter_types({"value"});
  ASSERT_EQ(rclcpp::spin_until_future_complete(node, types, 5s), rclcpp::FutureReturnCode::SUCCESS);
  EXPECT_EQ(types.get(), (std::vector<rclcpp::ParameterType>{rclcpp::PARAMETER_INTEGER}));
}

}  // namespace

// Configuration and activation of the decision node, and the ROS interfaces they create.
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <lifecycle_msgs/msg/state.hpp>
#include <rclcpp_action/rclcpp_action.hpp>
#include <std_srvs/srv/set_bool.hpp>
#include <velmoran_protocol/action/planner.hpp>

#include "node_test_support.hpp"

namespace velmoran::test
{
namespace
{

using lifecycle_msgs::msg::State;
using namespace std::chrono_literals;

const std::string kMinimalTree = VELMORAN_CONFIG_DIR "/minimal_tree.xml";

class ConfigurationTest : public ::testing::Test
{
protected:
  std::shared_ptr<NodeProbe> makeNode(const std::string & behavior_tree)
  {
    return std::make_shared<NodeProbe>(
      optionsWith({rclcpp::Parameter("behavior_tree", behavior_tree)}), directory_.withSlash());
  }

  /// Whether the node's interfaces made after a successful tree load exist, seen from a client.
  struct Interfaces
  {
    bool planner{false};
    bool navigate_to_pose{false};
    bool stop_task{false};
    bool arm_retract_detect{false};
    std::size_t goal_pose_subscriptions{0};
    std::size_t goal_publishers{0};
    std::size_t robot_info_subscriptions{0};
  };

  Interfaces interfacesSeenBy(
    const rclcpp::Node::SharedPtr & client, std::chrono::milliseconds wait)
  {
    Interfaces seen;
    seen.planner =
      rclcpp_action::create_client<velmoran_protocol::action::Planner>(client, "planner")
        ->wait_for_action_server(wait);
    seen.navigate_to_pose =
      rclcpp_action::create_client<nav2_msgs::action::NavigateToPose>(client, "navigate_to_pose")
        ->wait_for_action_server(wait);
    seen.stop_task =
      client->create_client<std_srvs::srv::SetBool>("stop_task")->wait_for_service(wait);
    seen.arm_retract_detect =
      client->create_client<velmoran_protocol::srv::ArmRetractDetect>("/arm_retract_detect")
        ->wait_for_service(wait);
    seen.goal_pose_subscriptions = client->count_subscribers("goal_pose");
    seen.goal_publishers = client->count_publishers("goal");
    seen.robot_info_subscriptions = client->count_subscribers("/robot_info_level_zero");
    return seen;
  }

  TemporaryDirectory directory_;
  LogCapture & log_ = LogCapture::instance();
};

TEST_F(ConfigurationTest, ConfiguresAndActivatesWithAReadableTree)
{
  const std::size_t from = log_.mark();
  auto node = makeNode(kMinimalTree);
  EXPECT_EQ(State::PRIMARY_STATE_INACTIVE, node->configure().id());
  EXPECT_EQ(State::PRIMARY_STATE_ACTIVE, node->activate().id());

  for (const char * line :
       {"NavDecision", "on_configure", "loadBehaviorTree success!", "registers success!",
        "communicator_decision_ success!", "on_activate", "createBond start"}) {
    EXPECT_NE(std::string::npos, log_.indexOf(line, from)) << line;
  }
  const CapturedLine xml_line = log_.find("xml_file is ", from);
  EXPECT_NE(std::string::npos, xml_line.text.find("xml_file is " + kMinimalTree));
  EXPECT_EQ("./src/nav_decision.cpp", xml_line.file);
  EXPECT_EQ("on_configure", xml_line.function);
  EXPECT_EQ(kMinimalTree, node->current_bt_xml_filename_);

  auto client = rclcpp::Node::make_shared("configuration_test_client");
  const Interfaces seen = interfacesSeenBy(client, 2s);
  EXPECT_TRUE(seen.planner);
  EXPECT_TRUE(seen.navigate_to_pose);
  EXPECT_TRUE(seen.stop_task);
  EXPECT_TRUE(seen.arm_retract_detect);
  EXPECT_EQ(1U, seen.goal_pose_subscriptions);
  EXPECT_EQ(1U, seen.goal_publishers);
  EXPECT_EQ(1U, seen.robot_info_subscriptions);
}

TEST_F(ConfigurationTest, MissingTreeFileFailsWithItsErrorNumberAndCreatesNoJobInterfaces)
{
  const std::string missing = (directory_.path() / "missing.xml").string();
  const std::size_t from = log_.mark();
  auto node = makeNode(missing);
  EXPECT_NE(State::PRIMARY_STATE_INACTIVE, node->configure().id());

  const std::size_t xml_line = log_.indexOf("xml_file is " + missing, from);
  const std::size_t error_line =
    log_.indexOf("loadBehaviorTree failed, error code is 101100023", from);
  ASSERT_NE(std::string::npos, xml_line);
  ASSERT_NE(std::string::npos, error_line);
  EXPECT_LT(xml_line, error_line);
  EXPECT_EQ(spdlog::level::err, log_.lines(error_line).front().level);
  EXPECT_EQ(std::string::npos, log_.indexOf("registers success!", from));

  auto client = rclcpp::Node::make_shared("missing_tree_test_client");
  const Interfaces seen = interfacesSeenBy(client, 100ms);
  EXPECT_FALSE(seen.planner);
  EXPECT_FALSE(seen.navigate_to_pose);
  EXPECT_FALSE(seen.stop_task);
  EXPECT_FALSE(seen.arm_retract_detect);
  EXPECT_EQ(0U, seen.goal_pose_subscriptions);
  EXPECT_EQ(0U, seen.goal_publishers);
  EXPECT_EQ(1U, seen.robot_info_subscriptions);
}

TEST_F(ConfigurationTest, EmptyTreeNameFailsInsteadOfReusingATreeThatDoesNotExist)
{
  const std::size_t from = log_.mark();
  auto node = makeNode("");
  EXPECT_NE(State::PRIMARY_STATE_INACTIVE, node->configure().id());
  EXPECT_NE(
    std::string::npos, log_.indexOf("loadBehaviorTree failed, error code is 101100023", from));
  EXPECT_EQ(std::string::npos, log_.indexOf("reset retry_start_time", from));
  EXPECT_EQ(nullptr, node->tree_.rootBlackboard());
}

TEST_F(ConfigurationTest, TreeRejectedByTheEngineIsRetriedUntilRepaired)
{
  const std::string directory = std::filesystem::weakly_canonical(directory_.path()).string();
  const std::string tree = directory + "/tree.xml";
  const std::string other = directory + "/other.xml";
  struct Case
  {
    std::string tree_text;
    std::string other_text;
    std::string error;
  };
  const Case cases[] = {
    {"<root><BehaviorTree ID=\"MainTree\">", "", "Error parsing the XML"},
    {"<root>\n<include path=\"tree.xml\"/>\n</root>", "",
     "Error at line 2: -> The <include> makes a cycle of files: " + tree + " -> " + tree},
    {"<root>\n<include path=\"other.xml\"/>\n</root>",
     "<root>\n\n<include path=\"./tree.xml\"/>\n</root>",
     "Error at line 3: -> The <include> makes a cycle of files: " + tree + " -> " + other + " -> " +
       tree},
  };
  for (const auto & test_case : cases) {
    SCOPED_TRACE(test_case.error);
    directory_.write("tree.xml", test_case.tree_text);
    directory_.write("other.xml", test_case.other_text);
    auto node = makeNode(tree);
    const std::size_t from = log_.mark();
    auto configured = std::async(std::launch::async, [&node] { return node->configure().id(); });

    const std::string retry = "Exception when loading BT: " + test_case.error;
    ASSERT_TRUE(log_.waitFor(retry, from));
    const std::size_t first_retry = log_.indexOf(retry, from);
    ASSERT_TRUE(log_.waitFor(retry, first_retry + 1));
    EXPECT_EQ(std::future_status::timeout, configured.wait_for(0s));
    EXPECT_EQ(spdlog::level::warn, log_.lines(first_retry).front().level);

    directory_.write("tree.xml", treeXml("<AlwaysSuccess/>"));
    EXPECT_EQ(State::PRIMARY_STATE_INACTIVE, configured.get());
    EXPECT_NE(std::string::npos, log_.indexOf("loadBehaviorTree success!", from));
    EXPECT_EQ(tree, node->current_bt_xml_filename_);
  }
}

TEST_F(ConfigurationTest, StopTaskIsServedBeforeActivation)
{
  auto node = makeNode(kMinimalTree);
  ASSERT_EQ(State::PRIMARY_STATE_INACTIVE, node->configure().id());
  auto client = rclcpp::Node::make_shared("stop_task_test_client");
  Spinner spinner({node->get_node_base_interface(), client->get_node_base_interface()});

  auto stop_task = client->create_client<std_srvs::srv::SetBool>("stop_task");
  ASSERT_TRUE(stop_task->wait_for_service(2s));
  auto request = std::make_shared<std_srvs::srv::SetBool::Request>();
  request->data = true;
  auto response = stop_task->async_send_request(request);
  ASSERT_EQ(std::future_status::ready, response.wait_for(5s));
  EXPECT_FALSE(response.get()->success);
  EXPECT_TRUE(node->stop_task_flag_->load());
}

}  // namespace
}  // namespace velmoran::test

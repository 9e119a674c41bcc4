// Parameters of the decision node and the blackboard values seeded from them.
#include <chrono>
#include <memory>
#include <string>
#include <typeinfo>

#include <gtest/gtest.h>
#include <lifecycle_msgs/msg/state.hpp>

#include "blackboard_keys.hpp"
#include "node_test_support.hpp"

namespace velmoran::test
{
namespace
{

using lifecycle_msgs::msg::State;
namespace keys = bt_navigator::keys;

const std::string kMinimalTree = VELMORAN_CONFIG_DIR "/minimal_tree.xml";

class ParametersTest : public ::testing::Test
{
protected:
  std::shared_ptr<NodeProbe> configuredNode(std::vector<rclcpp::Parameter> parameters)
  {
    parameters.emplace_back("behavior_tree", kMinimalTree);
    auto node = std::make_shared<NodeProbe>(optionsWith(parameters), directory_.withSlash());
    EXPECT_EQ(State::PRIMARY_STATE_INACTIVE, node->configure().id());
    return node;
  }

  TemporaryDirectory directory_;
};

TEST_F(ParametersTest, DefaultsAreReadAtConfiguration)
{
  auto node = configuredNode({});
  EXPECT_EQ("map", node->global_frame_);
  EXPECT_EQ("base_footprint", node->robot_base_frame_);
  EXPECT_DOUBLE_EQ(0.1, node->transform_tolerance_);
  EXPECT_DOUBLE_EQ(0.02, node->eucleadian_dist_thr_);
  EXPECT_DOUBLE_EQ(0.1, node->yaw_diff_thr_);
  EXPECT_EQ(0, node->default_run_mode_);
  EXPECT_EQ(-1, node->previous_run_mode_);
  EXPECT_TRUE(node->get_parameter("plugin_lib_names").as_string_array().empty());
}

TEST_F(ParametersTest, ValuesComeFromAParameterFile)
{
  const std::string file = directory_.write(
    "params.yaml",
    "velmoran_nav2_decision:\n"
    "  ros__parameters:\n"
    "    global_frame: odom\n"
    "    robot_base_frame: base_link\n"
    "    transform_tolerance: 0.5\n"
    "    eucleadian_dist_thr: 0.04\n"
    "    yaw_diff_thr: 0.2\n"
    "    default_run_mode: 405\n"
    "    behavior_tree: " +
      kMinimalTree + "\n");
  rclcpp::NodeOptions options;
  options.arguments({"--ros-args", "--params-file", file});
  auto node = std::make_shared<NodeProbe>(options, directory_.withSlash());
  ASSERT_EQ(State::PRIMARY_STATE_INACTIVE, node->configure().id());
  EXPECT_EQ("odom", node->global_frame_);
  EXPECT_EQ("base_link", node->robot_base_frame_);
  EXPECT_DOUBLE_EQ(0.5, node->transform_tolerance_);
  EXPECT_DOUBLE_EQ(0.04, node->eucleadian_dist_thr_);
  EXPECT_DOUBLE_EQ(0.2, node->yaw_diff_thr_);
  EXPECT_EQ(405, node->default_run_mode_);
  EXPECT_EQ(kMinimalTree, node->current_bt_xml_filename_);
}

TEST_F(ParametersTest, DefaultRunModeDeclaredBeforeConfigurationIsKept)
{
  auto node = std::make_shared<NodeProbe>(
    optionsWith({rclcpp::Parameter("behavior_tree", kMinimalTree)}), directory_.withSlash());
  node->declare_parameter("default_run_mode", 3);
  ASSERT_EQ(State::PRIMARY_STATE_INACTIVE, node->configure().id());
  EXPECT_EQ(3, node->default_run_mode_);
}

TEST_F(ParametersTest, DefaultRunModeOfTheWrongTypeFailsTheConfiguration)
{
  auto node = std::make_shared<NodeProbe>(
    optionsWith(
      {rclcpp::Parameter("behavior_tree", kMinimalTree),
       rclcpp::Parameter("default_run_mode", std::string("fast"))}),
    directory_.withSlash());
  EXPECT_NE(State::PRIMARY_STATE_INACTIVE, node->configure().id());
  EXPECT_EQ(nullptr, node->tree_.rootBlackboard());
}

TEST_F(ParametersTest, BlackboardIsSeededWithTheParameterAndFixedValues)
{
  auto node = configuredNode({});
  const auto & blackboard = node->blackboard_;

  const BT::Any * threshold = blackboard->getAny(keys::kRecommandPointDistanceSquareThr);
  ASSERT_NE(nullptr, threshold);
  EXPECT_EQ(typeid(float), threshold->type());
  EXPECT_EQ(static_cast<float>(0.0004), threshold->cast<float>());

  for (const char * key :
       {keys::kServerTimeout, keys::kWaitForServiceTimeout, keys::kBtLoopDuration}) {
    EXPECT_EQ(std::chrono::milliseconds(2000), blackboard->get<std::chrono::milliseconds>(key))
      << key;
  }
  EXPECT_EQ(-1, blackboard->get<int>(keys::kPreviousRunMode));
  EXPECT_FALSE(blackboard->get<bool>(keys::kPathUpdated));
  EXPECT_FALSE(blackboard->get<bool>(keys::kGoalReached));
  EXPECT_EQ(0, blackboard->get<int>(keys::kNumberRecoveries));
  EXPECT_NE(nullptr, blackboard->get<rclcpp::Node::SharedPtr>(keys::kNode));
  EXPECT_EQ(
    std::string("velmoran_nav2_decision_rclcpp_node"),
    blackboard->get<rclcpp::Node::SharedPtr>(keys::kNode)->get_name());
}

TEST_F(ParametersTest, ThresholdIsStoredAsTheNearestFloat)
{
  auto node = configuredNode({rclcpp::Parameter("recommand_point_distance_square_thr", 0.1)});
  EXPECT_EQ(
    static_cast<float>(0.1), node->blackboard_->get<float>(keys::kRecommandPointDistanceSquareThr));
  // The timeouts stay fixed whatever the parameters say.
  EXPECT_EQ(
    std::chrono::milliseconds(2000),
    node->blackboard_->get<std::chrono::milliseconds>(keys::kServerTimeout));
}

}  // namespace
}  // namespace velmoran::test

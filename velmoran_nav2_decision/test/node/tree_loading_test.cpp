// loadBehaviorTree: reuse of the loaded file, rebuilding from another one, unreadable files.
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <lifecycle_msgs/msg/state.hpp>

#include "blackboard_keys.hpp"
#include "node_test_support.hpp"

namespace velmoran::test
{
namespace
{

namespace keys = bt_navigator::keys;
using Clock = std::chrono::system_clock;

class TreeLoadingTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    first_tree_ = directory_.write("first.xml", treeXml("<AlwaysSuccess/>"));
    node_ = std::make_shared<NodeProbe>(
      optionsWith({rclcpp::Parameter("behavior_tree", first_tree_)}), directory_.withSlash());
    ASSERT_EQ(lifecycle_msgs::msg::State::PRIMARY_STATE_INACTIVE, node_->configure().id());
  }

  Clock::time_point retryStartTime()
  {
    return node_->tree_.rootBlackboard()->get<Clock::time_point>(keys::kRetryStartTime);
  }

  TemporaryDirectory directory_;
  std::string first_tree_;
  std::shared_ptr<NodeProbe> node_;
  LogCapture & log_ = LogCapture::instance();
};

TEST_F(TreeLoadingTest, SameFileOnlyRenewsTheRetryStampEvenWhenDeleted)
{
  const auto * root_node = node_->tree_.rootNode();
  const Clock::time_point first_stamp = retryStartTime();
  node_->tree_.rootBlackboard()->set(keys::kAlwaysSuccess, true);
  std::filesystem::remove(first_tree_);

  const std::size_t from = log_.mark();
  EXPECT_TRUE(node_->loadBehaviorTree(first_tree_));
  const CapturedLine reuse =
    log_.find("current_bt_xml_filename_ == bt_xml_filename reset retry_start_time", from);
  EXPECT_EQ(spdlog::level::warn, reuse.level);
  EXPECT_EQ(std::string::npos, log_.indexOf("bt_xml_filename: ", from));
  EXPECT_EQ(root_node, node_->tree_.rootNode());
  EXPECT_GE(retryStartTime(), first_stamp);
  EXPECT_TRUE(node_->tree_.rootBlackboard()->get<bool>(keys::kAlwaysSuccess));
}

TEST_F(TreeLoadingTest, AnotherFileRebuildsTheTreeAndClearsTheForcedOutcomes)
{
  node_->tree_.rootBlackboard()->set(keys::kAlwaysSuccess, true);
  node_->tree_.rootBlackboard()->set(keys::kAlwaysFailure, true);
  const std::string second_tree = directory_.write(
    "second.xml", treeXml("<Sequence><AlwaysSuccess/><AlwaysSuccess/></Sequence>"));

  const std::size_t from = log_.mark();
  EXPECT_TRUE(node_->loadBehaviorTree(second_tree));
  EXPECT_NE(std::string::npos, log_.indexOf("bt_xml_filename: " + second_tree, from));
  EXPECT_EQ(second_tree, node_->current_bt_xml_filename_);
  EXPECT_EQ(3U, node_->tree_.nodes.size());
  EXPECT_FALSE(node_->tree_.rootBlackboard()->get<bool>(keys::kAlwaysSuccess));
  EXPECT_FALSE(node_->tree_.rootBlackboard()->get<bool>(keys::kAlwaysFailure));
  EXPECT_LE(retryStartTime(), Clock::now());
}

TEST_F(TreeLoadingTest, MissingFileKeepsTheLoadedTree)
{
  const auto * root_node = node_->tree_.rootNode();
  const std::size_t from = log_.mark();
  EXPECT_FALSE(node_->loadBehaviorTree((directory_.path() / "missing.xml").string()));
  EXPECT_EQ(first_tree_, node_->current_bt_xml_filename_);
  EXPECT_EQ(root_node, node_->tree_.rootNode());
  EXPECT_EQ(std::string::npos, log_.indexOf("bt_xml_filename: ", from));
}

}  // namespace
}  // namespace velmoran::test

// The blackboard entries the node seeds when it configures, and the type rule every later write
// meets.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include <behaviortree_cpp_v3/blackboard.h>
#include <tf2_ros/buffer.h>
#include <rclcpp/rclcpp.hpp>

#include "blackboard_keys.hpp"
#include "blackboard_seeding.hpp"

namespace bt_navigator
{
namespace
{

using namespace std::chrono_literals;

template <typename Function>
std::string errorOf(Function function)
{
  try {
    function();
  } catch (const std::exception & error) {
    return error.what();
  }
  return "no error";
}

class BlackboardSeedingTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { rclcpp::init(0, nullptr); }
  static void TearDownTestSuite() { rclcpp::shutdown(); }

  void SetUp() override
  {
    node_ = std::make_shared<rclcpp::Node>("seeding_test");
    tf_buffer_ = std::make_shared<tf2_ros::Buffer>(node_->get_clock());
    seedBlackboard(*blackboard_, node_, tf_buffer_, static_cast<float>(0.0004));
  }

  BT::Blackboard::Ptr blackboard_ = BT::Blackboard::create();
  std::shared_ptr<rclcpp::Node> node_;
  std::shared_ptr<tf2_ros::Buffer> tf_buffer_;
};

TEST_F(BlackboardSeedingTest, WritesTheConfigurationEntries)
{
  EXPECT_EQ(node_, keys::get(*blackboard_, keys::kNode));
  EXPECT_EQ(tf_buffer_, keys::get(*blackboard_, keys::kTfBuffer));
  EXPECT_EQ(2000ms, keys::get(*blackboard_, keys::kServerTimeout));
  EXPECT_EQ(2000ms, keys::get(*blackboard_, keys::kWaitForServiceTimeout));
  EXPECT_EQ(2000ms, keys::get(*blackboard_, keys::kBtLoopDuration));
  EXPECT_FALSE(keys::get(*blackboard_, keys::kPathUpdated));
  EXPECT_FALSE(keys::get(*blackboard_, keys::kInitialPoseReceived));
  EXPECT_EQ(0, keys::get(*blackboard_, keys::kNumberRecoveries));
  EXPECT_FALSE(keys::get(*blackboard_, keys::kGoalReached));
  EXPECT_EQ(-1, keys::get(*blackboard_, keys::kPreviousRunMode));
  EXPECT_EQ(keys::LocalPlanningResult(), keys::get(*blackboard_, keys::kLocalResult));

  const BT::Any * threshold = blackboard_->getAny(keys::kRecommandPointDistanceSquareThr);
  ASSERT_NE(nullptr, threshold);
  EXPECT_EQ(typeid(float), threshold->type());
  EXPECT_EQ(0.0004f, threshold->cast<float>());
  EXPECT_EQ(12u, blackboard_->getKeys().size());
}

TEST_F(BlackboardSeedingTest, SeededEntriesKeepTheirTypes)
{
  EXPECT_EQ(
    "Blackboard::set() failed: once declared, the type of a port shall not change. "
    "Declared type [float] != current type [double]",
    errorOf([&] { blackboard_->set(keys::kRecommandPointDistanceSquareThr, 0.0004); }));
  EXPECT_THROW(blackboard_->set(keys::kServerTimeout, 2000), BT::LogicError);
  EXPECT_THROW(blackboard_->set(keys::kPreviousRunMode, std::string("none")), BT::LogicError);
  blackboard_->set(keys::kPreviousRunMode, 3);
  EXPECT_EQ(3, keys::get(*blackboard_, keys::kPreviousRunMode));
}

TEST_F(BlackboardSeedingTest, MaxSpeedWrittenAsDoubleAfterFloatIsRejected)
{
  blackboard_->set<float>(keys::kMaxSpeed, 0.8f);
  EXPECT_EQ(
    "Blackboard::set() failed: once declared, the type of a port shall not change. "
    "Declared type [float] != current type [double]",
    errorOf([&] { blackboard_->set<double>(keys::kMaxSpeed, 0.8); }));
  EXPECT_EQ(0.8f, keys::get(*blackboard_, keys::kMaxSpeed));
}

TEST_F(BlackboardSeedingTest, TypedHelpersTakeTheTypeFromTheKey)
{
  keys::set(*blackboard_, keys::kMaxSpeed, 0.5);
  EXPECT_EQ(typeid(float), blackboard_->getAny(keys::kMaxSpeed)->type());
  EXPECT_EQ(0.5f, keys::get(*blackboard_, keys::kMaxSpeed));
  EXPECT_EQ("Blackboard::get() error. Missing key [post_task_pose]", errorOf([&] {
              keys::get(*blackboard_, keys::kPostTaskPose);
            }));
}

}  // namespace
}  // namespace bt_navigator

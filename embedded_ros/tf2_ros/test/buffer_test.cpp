// Look-ups in tf2_ros::Buffer: chaining, latest data, time-outs and the errors tf2 reports.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>

#include <tf2/exceptions.h>
#include <tf2/utils.h>
#include <tf2_ros/buffer.h>
#include <tf2_ros/create_timer_ros.h>
#include <rclcpp/rclcpp.hpp>

#include "log_capture.hpp"
#include "transform_helpers.hpp"

namespace
{
using ::testing::HasSubstr;
using ::testing::StartsWith;

class BufferTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { rclcpp::init(0, nullptr); }
  static void TearDownTestSuite() { rclcpp::shutdown(); }

  void SetUp() override
  {
    buffer_ = std::make_shared<tf2_ros::Buffer>(std::make_shared<rclcpp::Clock>());
    buffer_->setUsingDedicatedThread(true);
  }

  std::shared_ptr<tf2_ros::Buffer> buffer_;
};

TEST_F(BufferTest, ChainsFramesThroughTheTree)
{
  ASSERT_TRUE(buffer_->setTransform(make_transform("map", "odom", 1.0, 0.0, M_PI / 2), "test"));
  ASSERT_TRUE(buffer_->setTransform(make_transform("odom", "base", 2.0, 0.0, 0.0), "test"));
  ASSERT_TRUE(buffer_->setTransform(make_transform("base", "laser", 0.5, 0.0, 0.0), "test"));

  const auto map_to_laser = buffer_->lookupTransform("map", "laser", tf2::TimePointZero);
  EXPECT_EQ(map_to_laser.header.frame_id, "map");
  EXPECT_EQ(map_to_laser.child_frame_id, "laser");
  EXPECT_NEAR(map_to_laser.transform.translation.x, 1.0, 1e-9);
  EXPECT_NEAR(map_to_laser.transform.translation.y, 2.5, 1e-9);
  EXPECT_NEAR(tf2::getYaw(map_to_laser.transform.rotation), M_PI / 2, 1e-9);

  // And the other way round.
  const auto laser_to_odom = buffer_->lookupTransform("laser", "odom", tf2::TimePointZero);
  EXPECT_NEAR(laser_to_odom.transform.translation.x, -2.5, 1e-9);
}

TEST_F(BufferTest, TimeZeroMeansTheLatestCommonTime)
{
  buffer_->setTransform(make_transform("map", "base", 1.0, 0.0, 0.0, 10), "test");
  buffer_->setTransform(make_transform("map", "base", 3.0, 0.0, 0.0, 12), "test");

  const auto latest = buffer_->lookupTransform("map", "base", tf2::TimePointZero);
  EXPECT_EQ(latest.header.stamp.sec, 12);
  EXPECT_NEAR(latest.transform.translation.x, 3.0, 1e-9);

  // Between two stamps tf2 interpolates.
  const auto middle = buffer_->lookupTransform("map", "base", rclcpp::Time(11, 0));
  EXPECT_NEAR(middle.transform.translation.x, 2.0, 1e-9);
}

TEST_F(BufferTest, MissingFrameNamesTheArgument)
{
  buffer_->setTransform(make_transform("odom", "base", 0, 0, 0), "test");
  try {
    buffer_->lookupTransform("map", "base", tf2::TimePointZero);
    FAIL() << "looking up an unknown frame must throw";
  } catch (const tf2::LookupException & error) {
    EXPECT_STREQ(
      error.what(), "\"map\" passed to lookupTransform argument target_frame does not exist. ");
  }
  EXPECT_THROW(buffer_->lookupTransform("base", "laser", tf2::TimePointZero), tf2::LookupException);

  std::string error;
  EXPECT_FALSE(buffer_->canTransform("map", "base", tf2::TimePointZero, &error));
  EXPECT_EQ(error, "canTransform: target_frame map does not exist.");
}

TEST_F(BufferTest, SeparateTreesAreNotConnected)
{
  buffer_->setTransform(make_transform("map", "odom", 0, 0, 0), "test");
  buffer_->setTransform(make_transform("world", "base", 0, 0, 0), "test");
  EXPECT_THROW(
    buffer_->lookupTransform("map", "base", tf2::TimePointZero), tf2::ConnectivityException);
}

TEST_F(BufferTest, TimeOutsideTheCacheIsExtrapolation)
{
  buffer_->setTransform(make_transform("map", "base", 0, 0, 0, 10), "test");
  buffer_->setTransform(make_transform("map", "base", 0, 0, 0, 11), "test");
  EXPECT_THROW(
    buffer_->lookupTransform("map", "base", rclcpp::Time(20, 0)), tf2::ExtrapolationException);
}

TEST_F(BufferTest, LookupWithTimeoutWaitsThenThrowsTheLookupError)
{
  const auto timeout = std::chrono::milliseconds(50);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(
    buffer_->lookupTransform("map", "base", tf2::TimePointZero, timeout), tf2::LookupException);
  EXPECT_GE(std::chrono::steady_clock::now() - start, timeout);

  std::string error;
  EXPECT_FALSE(buffer_->canTransform("map", "base", tf2::TimePointZero, timeout, &error));
  EXPECT_THAT(error, StartsWith("canTransform: target_frame map does not exist."));
  EXPECT_THAT(error, HasSubstr(". canTransform returned after "));
}

TEST_F(BufferTest, WaitingLookupIsWokenByTheArrivingTransform)
{
  auto waiting = std::async(std::launch::async, [this] {
    return buffer_->lookupTransform("map", "base", tf2::TimePointZero, tf2::durationFromSec(30.0));
  });
  buffer_->setTransform(make_transform("map", "base", 7.0, 0, 0), "test");
  ASSERT_EQ(waiting.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_NEAR(waiting.get().transform.translation.x, 7.0, 1e-9);
}

TEST_F(BufferTest, TimeoutWithoutDedicatedThreadIsRefused)
{
  LogCapture log;
  tf2_ros::Buffer buffer(std::make_shared<rclcpp::Clock>());
  buffer.setTransform(make_transform("map", "base", 0, 0, 0), "test");
  std::string error;
  EXPECT_FALSE(
    buffer.canTransform("map", "base", tf2::TimePointZero, tf2::durationFromSec(1.0), &error));
  EXPECT_EQ(error, tf2_ros::threading_error);
  ASSERT_EQ(log.lines_of("tf2_buffer").size(), 1u);
  EXPECT_EQ(log.lines_of("tf2_buffer")[0].message, tf2_ros::threading_error);
  // Without waiting the look-up itself still works.
  EXPECT_NO_THROW(buffer.lookupTransform("map", "base", tf2::TimePointZero));
}

TEST_F(BufferTest, InvalidTransformsAreRejected)
{
  EXPECT_FALSE(buffer_->setTransform(make_transform("map", "map", 0, 0, 0), "test"));
  EXPECT_FALSE(buffer_->setTransform(make_transform("", "base", 0, 0, 0), "test"));
  auto unnormalized = make_transform("map", "base", 0, 0, 0);
  unnormalized.transform.rotation.w = 2.0;
  EXPECT_FALSE(buffer_->setTransform(unnormalized, "test"));
  auto negative = make_transform("map", "base", 0, 0, 0, -5);
  EXPECT_FALSE(buffer_->setTransform(negative, "test"));
  EXPECT_FALSE(buffer_->_frameExists("base"));
}

TEST_F(BufferTest, WaitForTransformCompletesOnArrivalOrTimesOut)
{
  auto node = std::make_shared<rclcpp::Node>("buffer_wait_test");
  buffer_->setCreateTimerInterface(std::make_shared<tf2_ros::CreateTimerROS>(
    node->get_node_base_interface(), node->get_node_timers_interface()));
  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(node);

  std::promise<void> arrived_called;
  auto arriving = buffer_->waitForTransform(
    "map", "base", tf2::TimePointZero, std::chrono::seconds(30),
    [&](const tf2_ros::TransformStampedFuture &) { arrived_called.set_value(); });
  std::promise<void> timeout_called;
  auto timing_out = buffer_->waitForTransform(
    "map", "never", tf2::TimePointZero, std::chrono::milliseconds(20),
    [&](const tf2_ros::TransformStampedFuture &) { timeout_called.set_value(); });

  buffer_->setTransform(make_transform("map", "base", 1.0, 0, 0), "test");
  ASSERT_EQ(arriving.wait_for(std::chrono::seconds(5)), std::future_status::ready);
  EXPECT_NEAR(arriving.get().transform.translation.x, 1.0, 1e-9);
  EXPECT_EQ(
    arrived_called.get_future().wait_for(std::chrono::seconds(0)), std::future_status::ready);

  // The time-out is a timer of the node: it fires when the node is spun.
  executor.spin_until_future_complete(timing_out, std::chrono::seconds(5));
  ASSERT_EQ(timing_out.wait_for(std::chrono::seconds(0)), std::future_status::ready);
  EXPECT_THROW(timing_out.get(), tf2::TimeoutException);
  EXPECT_EQ(
    timeout_called.get_future().wait_for(std::chrono::seconds(0)), std::future_status::ready);
}

TEST_F(BufferTest, WaitForTransformNeedsATimerInterface)
{
  EXPECT_THROW(
    buffer_->waitForTransform(
      "map", "base", tf2::TimePointZero, std::chrono::seconds(1),
      [](const tf2_ros::TransformStampedFuture &) {}),
    tf2_ros::CreateTimerInterfaceException);
}

}  // namespace

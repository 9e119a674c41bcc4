#include "builtin_interfaces/msg/time.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

#include "rclcpp/rclcpp.hpp"
#include "ros_fixture.hpp"

namespace
{

using namespace std::chrono_literals;

TEST(TimeTest, DurationArithmeticAndConversions)
{
  rclcpp::Duration d(1, 500000000);
  EXPECT_EQ(d.nanoseconds(), 1500000000);
  EXPECT_DOUBLE_EQ(d.seconds(), 1.5);
  EXPECT_EQ((d + rclcpp::Duration(250ms)).nanoseconds(), 1750000000);
  EXPECT_EQ((d * 2.0).nanoseconds(), 3000000000);
  EXPECT_EQ(rclcpp::Duration::from_seconds(0.25), rclcpp::Duration(250ms));
  builtin_interfaces::msg::Duration message = rclcpp::Duration::from_nanoseconds(-1);
  EXPECT_EQ(message.sec, -1);
  EXPECT_EQ(message.nanosec, 999999999u);
  EXPECT_EQ(rclcpp::Duration(message).nanoseconds(), -1);
  EXPECT_EQ(d.to_chrono<std::chrono::milliseconds>(), 1500ms);
  EXPECT_THROW(
    rclcpp::Duration::from_nanoseconds(INT64_MAX) + rclcpp::Duration(1ns), std::overflow_error);
}

TEST(TimeTest, TimeArithmeticAndClockTypes)
{
  rclcpp::Time t(10, 5, RCL_ROS_TIME);
  EXPECT_EQ(t.nanoseconds(), 10000000005);
  rclcpp::Time later = t + rclcpp::Duration(1s);
  EXPECT_EQ((later - t).nanoseconds(), 1000000000);
  EXPECT_TRUE(t < later);
  builtin_interfaces::msg::Time message = later;
  EXPECT_EQ(message.sec, 11);
  EXPECT_EQ(message.nanosec, 5u);
  EXPECT_EQ(rclcpp::Time(message), later);
  rclcpp::Time system_time(10, 5, RCL_SYSTEM_TIME);
  EXPECT_THROW((void)(t == system_time), std::runtime_error);
  EXPECT_THROW(t - system_time, std::runtime_error);
  EXPECT_THROW(rclcpp::Time(-1, 0), std::runtime_error);
}

TEST(TimeTest, ClocksAndNodeTime)
{
  rclcpp::init(0, nullptr);
  auto node = std::make_shared<rclcpp::Node>("clock_node");
  EXPECT_EQ(node->now().get_clock_type(), RCL_ROS_TIME);
  rclcpp::Clock steady(RCL_STEADY_TIME);
  const rclcpp::Time before = steady.now();
  EXPECT_TRUE(steady.sleep_for(rclcpp::Duration(2ms)));
  EXPECT_GE((steady.now() - before).nanoseconds(), 2000000);
  rclcpp::WallRate rate(1000.0);
  EXPECT_EQ(rate.period(), 1ms);
  rclcpp::shutdown();
}

}  // namespace

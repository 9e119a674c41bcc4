#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <limits>
#include <stdexcept>
#include <string>

#include "rclcpp/rclcpp.hpp"

namespace
{

using std::chrono::milliseconds;

template <typename ExceptionT>
std::string thrown_text(const std::function<void()> & action)
{
  try {
    action();
  } catch (const ExceptionT & error) {
    return error.what();
  }
  return "<nothing thrown>";
}

constexpr int64_t kMaxNs = std::numeric_limits<int64_t>::max();
constexpr int64_t kMinNs = std::numeric_limits<int64_t>::min();

TEST(TimeRulesTest, MixingClockTypesThrowsWithRosTexts)
{
  const rclcpp::Time ros_time(5, 0, RCL_ROS_TIME);
  const rclcpp::Time system_time(5, 0, RCL_SYSTEM_TIME);
  EXPECT_EQ(
    thrown_text<std::runtime_error>([&] { (void)(ros_time - system_time); }),
    "can't subtract times with different time sources [1 != 2]");
  EXPECT_EQ(
    thrown_text<std::runtime_error>([&] { (void)(system_time - ros_time); }),
    "can't subtract times with different time sources [2 != 1]");
  for (const auto & compare : std::vector<std::function<bool()>>{
         [&] { return ros_time == system_time; }, [&] { return ros_time != system_time; },
         [&] { return ros_time < system_time; }, [&] { return ros_time <= system_time; },
         [&] { return ros_time > system_time; }, [&] { return ros_time >= system_time; }}) {
    EXPECT_EQ(
      thrown_text<std::runtime_error>([&] { compare(); }),
      "can't compare times with different time sources");
  }
  // A message stamp is ROS time, a default-constructed Time is system time.
  builtin_interfaces::msg::Time stamp;
  stamp.sec = 5;
  EXPECT_EQ(rclcpp::Time(stamp).get_clock_type(), RCL_ROS_TIME);
  EXPECT_EQ(rclcpp::Time().get_clock_type(), RCL_SYSTEM_TIME);
  EXPECT_TRUE(rclcpp::Time(stamp) == ros_time);
}

TEST(TimeRulesTest, TimeOverflowAndNegativeTimesThrow)
{
  const rclcpp::Time latest(kMaxNs, RCL_ROS_TIME);
  const rclcpp::Time earliest(kMinNs, RCL_ROS_TIME);
  const auto one_ns = rclcpp::Duration::from_nanoseconds(1);
  EXPECT_EQ(
    thrown_text<std::overflow_error>([&] { (void)(latest + one_ns); }),
    "addition leads to int64_t overflow");
  EXPECT_EQ(
    thrown_text<std::overflow_error>([&] { (void)(one_ns + latest); }),
    "addition leads to int64_t overflow");
  EXPECT_EQ(
    thrown_text<std::underflow_error>([&] { (void)(earliest - one_ns); }),
    "time subtraction leads to int64_t underflow");
  EXPECT_EQ(
    thrown_text<std::overflow_error>([&] { (void)(latest - earliest); }),
    "time subtraction leads to int64_t overflow");
  rclcpp::Time accumulated(kMaxNs - 1, RCL_ROS_TIME);
  accumulated += one_ns;
  EXPECT_EQ(accumulated.nanoseconds(), kMaxNs);
  EXPECT_THROW(accumulated += one_ns, std::overflow_error);
  EXPECT_EQ(accumulated.nanoseconds(), kMaxNs) << "a failed += must leave the time unchanged";

  EXPECT_EQ(
    thrown_text<std::runtime_error>([] { rclcpp::Time(-1, 0); }),
    "cannot store a negative time point in rclcpp::Time");
  builtin_interfaces::msg::Time negative;
  negative.sec = -1;
  EXPECT_THROW(rclcpp::Time{negative}, std::runtime_error);
}

TEST(TimeRulesTest, MessageConversionsKeepNanosecondsPositive)
{
  const builtin_interfaces::msg::Time before_epoch = rclcpp::Time(int64_t{-1}, RCL_ROS_TIME);
  EXPECT_EQ(before_epoch.sec, -1);
  EXPECT_EQ(before_epoch.nanosec, 999999999u);

  const builtin_interfaces::msg::Duration minus_one_and_half =
    rclcpp::Duration::from_nanoseconds(-1500000000);
  EXPECT_EQ(minus_one_and_half.sec, -2);
  EXPECT_EQ(minus_one_and_half.nanosec, 500000000u);

  const builtin_interfaces::msg::Duration saturated_max =
    rclcpp::Duration::from_nanoseconds(kMaxNs);
  EXPECT_EQ(saturated_max.sec, std::numeric_limits<int32_t>::max());
  EXPECT_EQ(saturated_max.nanosec, std::numeric_limits<uint32_t>::max());
  const builtin_interfaces::msg::Duration saturated_min =
    rclcpp::Duration::from_nanoseconds(kMinNs);
  EXPECT_EQ(saturated_min.sec, std::numeric_limits<int32_t>::min());
  EXPECT_EQ(saturated_min.nanosec, 0u);

  builtin_interfaces::msg::Duration message;
  message.sec = -3;
  message.nanosec = 250000000;
  EXPECT_EQ(rclcpp::Duration(message).nanoseconds(), -2750000000LL);
  EXPECT_EQ(rclcpp::Duration(-3, 250000000).nanoseconds(), -2750000000LL);
}

TEST(TimeRulesTest, DurationArithmeticLimits)
{
  const auto largest = rclcpp::Duration::from_nanoseconds(kMaxNs);
  const auto smallest = rclcpp::Duration::from_nanoseconds(kMinNs);
  const auto one_ns = rclcpp::Duration::from_nanoseconds(1);
  EXPECT_EQ(
    thrown_text<std::overflow_error>([&] { (void)(largest + one_ns); }),
    "addition leads to int64_t overflow");
  EXPECT_EQ(
    thrown_text<std::underflow_error>(
      [&] { (void)(smallest + rclcpp::Duration::from_nanoseconds(-1)); }),
    "addition leads to int64_t underflow");
  EXPECT_EQ(
    thrown_text<std::overflow_error>(
      [&] { (void)(largest - rclcpp::Duration::from_nanoseconds(-1)); }),
    "duration subtraction leads to int64_t overflow");
  EXPECT_EQ(
    thrown_text<std::underflow_error>([&] { (void)(smallest - one_ns); }),
    "duration subtraction leads to int64_t underflow");
  EXPECT_EQ(
    thrown_text<std::overflow_error>([&] { (void)(largest * 2.0); }),
    "duration scaling leads to int64_t overflow");
  EXPECT_EQ(
    thrown_text<std::underflow_error>([&] { (void)(largest * -2.0); }),
    "duration scaling leads to int64_t underflow");
  EXPECT_EQ(
    thrown_text<std::runtime_error>(
      [&] { (void)(one_ns * std::numeric_limits<double>::quiet_NaN()); }),
    "abnormal scale in rclcpp::Duration");
  EXPECT_EQ((rclcpp::Duration(milliseconds(300)) * 0.5).nanoseconds(), 150000000);
  EXPECT_EQ((rclcpp::Duration(milliseconds(300)) * -1.0).nanoseconds(), -300000000);
}

TEST(TimeRulesTest, SecondsConversionsMatchRos)
{
  // Like rclcpp, from_seconds truncates towards zero and seconds() divides by 1e9.
  EXPECT_EQ(rclcpp::Duration::from_seconds(1.5e-9).nanoseconds(), 1);
  EXPECT_EQ(rclcpp::Duration::from_seconds(-1.5e-9).nanoseconds(), -1);
  EXPECT_EQ(rclcpp::Duration::from_seconds(2.5).nanoseconds(), 2500000000LL);
  EXPECT_EQ(rclcpp::Duration::from_nanoseconds(3).seconds(), 3e-9);
  EXPECT_EQ(rclcpp::Time(int64_t{7}, RCL_ROS_TIME).seconds(), 7e-9);

  EXPECT_EQ(
    thrown_text<std::runtime_error>([] { rclcpp::Duration::from_nanoseconds(-1).to_rmw_time(); }),
    "rmw_time_t cannot be negative");
  const rmw_time_t rmw = rclcpp::Duration(milliseconds(2500)).to_rmw_time();
  EXPECT_EQ(rmw.sec, 2u);
  EXPECT_EQ(rmw.nsec, 500000000u);
  const rmw_time_t saturated = rclcpp::Duration::from_nanoseconds(kMaxNs).to_rmw_time();
  EXPECT_EQ(saturated.sec, static_cast<uint64_t>(std::numeric_limits<int32_t>::max()));
  EXPECT_EQ(saturated.nsec, static_cast<uint64_t>(std::numeric_limits<uint32_t>::max()));
  EXPECT_EQ(rclcpp::Duration::from_rmw_time(rmw), rclcpp::Duration(milliseconds(2500)));
}

TEST(TimeRulesTest, RatePeriodsAndClocks)
{
  EXPECT_EQ(rclcpp::Rate(10.0).period(), std::chrono::nanoseconds(100000000));
  EXPECT_EQ(rclcpp::WallRate(4.0).period(), std::chrono::nanoseconds(250000000));
  EXPECT_EQ(rclcpp::Rate(milliseconds(20)).period(), std::chrono::nanoseconds(20000000));
  EXPECT_FALSE(rclcpp::Rate(1.0).is_steady());
  EXPECT_TRUE(rclcpp::WallRate(1.0).is_steady());
}

TEST(TimeRulesTest, RateKeepsPhaseAndReportsOverruns)
{
  rclcpp::init(0, nullptr);
  const auto period = milliseconds(25);
  rclcpp::WallRate rate(period);
  rate.reset();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(rate.sleep());
  EXPECT_GE(std::chrono::steady_clock::now() - start, period);

  // Work that takes several periods: the next sleep returns false at once, and the schedule
  // restarts from now instead of trying to catch up with the missed periods.
  const auto overrun_until = std::chrono::steady_clock::now() + 3 * period;
  while (std::chrono::steady_clock::now() < overrun_until) {
  }
  EXPECT_FALSE(rate.sleep());
  EXPECT_TRUE(rate.sleep());
  rclcpp::shutdown();
}

}  // namespace

#include "rcutils/logging.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "log_capture.hpp"
#include "rclcpp/rclcpp.hpp"
#include "ros_fixture.hpp"

namespace
{

class LoggingTest : public RosTest
{
protected:
  void SetUp() override
  {
    RosTest::SetUp();
    log_ = std::make_unique<LogCapture>();
  }
  void TearDown() override
  {
    log_.reset();
    RosTest::TearDown();
  }

  std::vector<LogLine> captured() const { return log_->lines(); }

private:
  std::unique_ptr<LogCapture> log_;
};

TEST_F(LoggingTest, MacrosRespectLevelsPerLogger)
{
  auto logger = rclcpp::get_logger("planner");
  RCLCPP_DEBUG(logger, "hidden %d", 1);
  RCLCPP_INFO(logger, "shown %d", 2);
  RCLCPP_WARN_STREAM(logger, "stream " << 3);
  logger.set_level(rclcpp::Logger::Level::Debug);
  RCLCPP_DEBUG(logger.get_child("sub"), "child inherits %s", "debug");
  logger.set_level(rclcpp::Logger::Level::Error);
  RCLCPP_WARN(logger, "suppressed");
  RCLCPP_ERROR(logger, "error");
  ASSERT_EQ(captured().size(), 4u);
  EXPECT_EQ(captured()[0].message, "shown 2");
  EXPECT_EQ(captured()[0].severity, RCUTILS_LOG_SEVERITY_INFO);
  EXPECT_EQ(captured()[1].message, "stream 3");
  EXPECT_EQ(captured()[2].logger, "planner.sub");
  EXPECT_EQ(captured()[3].severity, RCUTILS_LOG_SEVERITY_ERROR);
  logger.set_level(rclcpp::Logger::Level::Unset);
}

TEST_F(LoggingTest, OnceAndThrottle)
{
  auto logger = rclcpp::get_logger("once");
  rclcpp::Clock clock(RCL_STEADY_TIME);
  for (int i = 0; i < 3; ++i) {
    RCLCPP_INFO_ONCE(logger, "once");
    RCLCPP_INFO_THROTTLE(logger, clock, 60000, "throttled %d", i);
  }
  ASSERT_EQ(captured().size(), 2u);
  EXPECT_EQ(captured()[1].message, "throttled 0");
}

TEST_F(LoggingTest, LogLevelArgumentSetsLevels)
{
  rclcpp::shutdown();
  const char * argv[] = {"p", "--ros-args", "--log-level", "cli_logger:=debug"};
  rclcpp::init(4, argv);
  RCLCPP_DEBUG(rclcpp::get_logger("cli_logger"), "debug from argument");
  ASSERT_EQ(captured().size(), 1u);
  rclcpp::get_logger("cli_logger").set_level(rclcpp::Logger::Level::Unset);
}

TEST_F(LoggingTest, ConsoleFormatMatchesRcutils)
{
  rcutils_logging_set_output_handler(rcutils_logging_console_output_handler);
  setenv("RCUTILS_COLORIZED_OUTPUT", "0", 1);
  testing::internal::CaptureStderr();
  RCLCPP_WARN(rclcpp::get_logger("console"), "disk at %d%%", 91);
  const std::string output = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(std::regex_match(
    output, std::regex(R"(\[WARN\] \[[0-9]+\.[0-9]{9}\] \[console\]: disk at 91%\n)")))
    << output;
  setenv("RCUTILS_CONSOLE_OUTPUT_FORMAT", "{severity}|{name}|{message}|{function_name}", 1);
  testing::internal::CaptureStderr();
  RCLCPP_ERROR(rclcpp::get_logger("console"), "custom");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR|console|custom|TestBody\n");
  unsetenv("RCUTILS_CONSOLE_OUTPUT_FORMAT");
  unsetenv("RCUTILS_COLORIZED_OUTPUT");
}

TEST_F(LoggingTest, NodeLoggerIsNamedAfterNode)
{
  rclcpp::Node node("talker", "/robot/base");
  RCLCPP_INFO(node.get_logger(), "hello");
  ASSERT_EQ(captured().size(), 1u);
  EXPECT_EQ(captured()[0].logger, "robot.base.talker");
}

}  // namespace

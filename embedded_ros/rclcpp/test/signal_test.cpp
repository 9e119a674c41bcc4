#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>
#include <thread>

#include "rclcpp/rclcpp.hpp"
#include "rcutils/logging.h"
#include "ros_fixture.hpp"

namespace
{

std::string g_last_log;

void capture(
  const rcutils_log_location_t *, int, const char *, rcutils_time_point_value_t,
  const char * format, va_list * args)
{
  char buffer[256];
  va_list copy;
  va_copy(copy, *args);
  std::vsnprintf(buffer, sizeof(buffer), format, copy);
  va_end(copy);
  g_last_log = buffer;
}

TEST(SignalTest, SigintEndsSpinAndShutsDown)
{
  rclcpp::init(0, nullptr);
  ASSERT_TRUE(rclcpp::signal_handlers_installed());
  auto previous_handler = rcutils_logging_get_output_handler();
  rcutils_logging_set_output_handler(capture);
  auto node = std::make_shared<rclcpp::Node>("interrupted");
  auto context = rclcpp::contexts::get_global_default_context();
  bool shutdown_callback_ran = false;
  auto handle = context->add_on_shutdown_callback([&] { shutdown_callback_ran = true; });

  Event started;
  bool spinning = false;
  auto timer = node->create_wall_timer(
    std::chrono::milliseconds(1), [&] { started.notify([&] { spinning = true; }); });
  rclcpp::executors::SingleThreadedExecutor executor;
  executor.add_node(node);
  std::thread spinner([&] { executor.spin(); });
  ASSERT_TRUE(started.wait_for([&] { return spinning; }));
  timer->cancel();
  std::raise(SIGINT);
  spinner.join();
  context->remove_on_shutdown_callback(handle);

  EXPECT_FALSE(rclcpp::ok());
  EXPECT_TRUE(shutdown_callback_ran);
  EXPECT_EQ(rclcpp::contexts::get_global_default_context()->shutdown_reason(), "signal handler");
  rcutils_logging_set_output_handler(previous_handler);
  EXPECT_EQ(g_last_log, "signal_handler(signum=2)");
  rclcpp::shutdown();
  EXPECT_FALSE(rclcpp::signal_handlers_installed());
}

TEST(SignalTest, SigtermAlsoShutsDownAndInitWorksAgain)
{
  rclcpp::init(0, nullptr);
  std::raise(SIGTERM);
  auto context = rclcpp::contexts::get_global_default_context();
  EXPECT_TRUE(context->sleep_for(std::chrono::seconds(5)) == false);
  EXPECT_FALSE(rclcpp::ok());
  rclcpp::shutdown();
  rclcpp::init(0, nullptr);
  EXPECT_TRUE(rclcpp::ok());
  rclcpp::shutdown();
}

}  // namespace

TEST(SignalTest, ProcessExitingWithoutShutdownEndsCleanly)
{
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
    {
      rclcpp::init(0, nullptr);
      std::exit(0);
    },
    ::testing::ExitedWithCode(0), "");
}

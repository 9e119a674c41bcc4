#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>
#include <thread>

#include "log_capture.hpp"
#include "rclcpp/rclcpp.hpp"
#include "ros_fixture.hpp"

namespace
{

TEST(SignalTest, SigintEndsSpinAndShutsDown)
{
  rclcpp::init(0, nullptr);
  ASSERT_TRUE(rclcpp::signal_handlers_installed());
  auto log = std::make_unique<LogCapture>();
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
  const auto lines = log->lines();
  log.reset();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().message, "signal_handler(signum=2)");
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

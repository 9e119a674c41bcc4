// One ROS context for a whole test program; the logger is captured before anything logs.
#include <gtest/gtest.h>
#include <rclcpp/rclcpp.hpp>

#include "log_capture.hpp"

namespace velmoran::test
{
namespace
{

class RosEnvironment : public ::testing::Environment
{
public:
  void SetUp() override
  {
    LogCapture::instance();
    rclcpp::init(0, nullptr);
  }
  void TearDown() override { rclcpp::shutdown(); }
};

[[maybe_unused]] const auto * const ros_environment =
  ::testing::AddGlobalTestEnvironment(new RosEnvironment);

}  // namespace
}  // namespace velmoran::test

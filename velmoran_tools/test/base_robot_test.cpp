#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include <rcutils/logging.h>
#include <rclcpp/logging.hpp>

#include "velmoran_tools/base_robot.hpp"

namespace
{
TEST(BaseRobotTest, UuidsAreVersion4TextAndUnique)
{
  const velmoran_tools::BaseRobot robot;
  const std::regex rfc4122_v4(
    "^[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$");
  std::set<std::string> seen;
  for (int i = 0; i < 1000; ++i) {
    const std::string uuid = robot.generateUuid();
    ASSERT_TRUE(std::regex_match(uuid, rfc4122_v4)) << uuid;
    seen.insert(uuid);
  }
  EXPECT_EQ(seen.size(), 1000u);
}

std::string g_captured;

void capture(
  const rcutils_log_location_t *, int, const char * name, rcutils_time_point_value_t,
  const char * format, va_list * args)
{
  char buffer[512];
  va_list copy;
  va_copy(copy, *args);
  std::vsnprintf(buffer, sizeof(buffer), format, copy);
  va_end(copy);
  g_captured += std::string(name) + ": " + buffer + "\n";
}

TEST(BaseRobotTest, PrintPoseLogsThePoseAfterThePrefix)
{
  const auto previous = rcutils_logging_get_output_handler();
  rcutils_logging_set_output_handler(capture);

  geometry_msgs::msg::PoseStamped pose;
  pose.header.frame_id = "map";
  pose.pose.position.x = 1.5;
  pose.pose.position.y = -2;
  pose.pose.orientation.w = 1;
  velmoran_tools::BaseRobot().printPose(pose, "nav pose is ");
  rcutils_logging_set_output_handler(previous);

  EXPECT_NE(
    g_captured.find(
      "base_robot: nav pose is frame: map, position: (1.5, -2, 0), orientation: (0, 0, 0, 1)"),
    std::string::npos)
    << g_captured;
}

}  // namespace

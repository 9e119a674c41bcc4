#include <gtest/gtest.h>

#include "velmoran_planner_cli/planner_client.hpp"

namespace velmoran_planner
{
namespace
{

TEST(PlannerClient, PrintsEveryByteOfTheGoalIdAsTwoHexDigits)
{
  rclcpp_action::GoalUUID goal_id{};
  for (std::size_t i = 0; i < goal_id.size(); ++i) {
    goal_id[i] = static_cast<unsigned char>(i * 17);
  }
  EXPECT_EQ(PlannerClient::goalIdText(goal_id), "00112233445566778899aabbccddeeff");
  goal_id.fill(0x05);
  EXPECT_EQ(PlannerClient::goalIdText(goal_id), "05050505050505050505050505050505");
}

}  // namespace
}  // namespace velmoran_planner

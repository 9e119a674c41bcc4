#include "velmoran_protocol/run_modes.hpp"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace velmoran_protocol
{
namespace
{

TEST(RunModes, NamesAndNumbersMapBothWaysAndUnknownsAreRefused)
{
  // Written out here rather than taken from the action, so that a constant or name that drifts
  // is caught.
  const std::vector<std::pair<std::string, int32_t>> expected{
    {"NONE", -1},
    {"NAVIGATION", 0},
    {"STATICHUICOVERAGE", 1},
    {"CHARGE", 2},
    {"NAVIGATIONPID", 3},
    {"LIFT", 100},
    {"LIFT_OUT", 101},
    {"LIFT_WAITING_AREA", 102},
    {"NAVIGATION4DYNAMICCOVERAGE", 200},
    {"DYNAMICCOVERAGE", 201},
    {"DYNAMICCOVERAGERESIDUESZONES", 202},
    {"NAVIGATION4WATERUPTAKE", 300},
    {"FIXED_DISTANCE_NAVIGATION", 400},
    {"NAVIGATION_POSE_OFFSET", 401},
    {"NAVIGATION_LATERAL_MOVE", 402},
    {"NAVIGATION_LATERAL_MOVE_WITH_ODOM", 403},
    {"NAVIGATION_WITH_ARM", 405},
    {"NARROW_SPACE_NAVIGATION", 500},
    {"ENTER_CUBICLE", 501},
    {"EXIT_CUBICLE", 502},
    {"NAVIGATION_ALLOW_HORIZONTAL_MOVEMENT", 503},
    {"NAVIGATION_PRECISE_GOAL_REACHING", 504},
    {"STATICGONGCOVERAGE", 601},
  };

  std::vector<std::pair<std::string, int32_t>> table;
  for (const auto & [name, value] : namedRunModes()) {
    table.emplace_back(name, value);
  }
  EXPECT_EQ(table, expected);

  for (const auto & [name, value] : expected) {
    SCOPED_TRACE(name);
    EXPECT_EQ(runModeByName(name), value);
    EXPECT_EQ(runModeName(value), name);
  }

  for (const std::string name :
       {"", "charge", "Charge", " CHARGE", "CHARGE ", "2", "UNKNOWN", "LIFT_OUT_", "FLYING"}) {
    SCOPED_TRACE("name '" + name + "'");
    EXPECT_EQ(runModeByName(name), std::nullopt);
  }
  for (const int32_t number : {-2, 4, 99, 404, 406, 600, 700, INT32_MIN, INT32_MAX}) {
    SCOPED_TRACE(number);
    EXPECT_EQ(runModeName(number), "UNKNOWN");
  }
}

}  // namespace
}  // namespace velmoran_protocol

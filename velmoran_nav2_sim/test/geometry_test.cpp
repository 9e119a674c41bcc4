// Geometry and the coverage plan: the numbers the sweep, the cleaned area and the residues rest on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "velmoran_nav2_sim/coverage_plan.hpp"
#include "velmoran_nav2_sim/geometry.hpp"

namespace velmoran_nav2_sim
{
namespace
{

const Polygon2D kRoom{{0, 0}, {3, 0}, {3, 2}, {0, 2}};

TEST(Geometry, PolygonAreaContainmentAndClipping)
{
  EXPECT_DOUBLE_EQ(area(kRoom), 6.0);
  EXPECT_DOUBLE_EQ(area(Polygon2D{{0, 0}, {1, 1}}), 0.0);
  EXPECT_TRUE(contains(kRoom, {1.5, 1.0}));
  EXPECT_FALSE(contains(kRoom, {3.5, 1.0}));
  EXPECT_DOUBLE_EQ(area(clipBelow(kRoom, 0.5)), 4.5);
  EXPECT_DOUBLE_EQ(area(clipBelow(kRoom, 3.0)), 0.0);
  const Polygon2D triangle{{0, 0}, {2, 0}, {0, 2}};
  EXPECT_DOUBLE_EQ(area(clipBelow(triangle, 1.0)), 0.5);
  const auto intervals = scanline(kRoom, 1.0);
  ASSERT_EQ(intervals.size(), 1U);
  EXPECT_DOUBLE_EQ(intervals[0].first, 0.0);
  EXPECT_DOUBLE_EQ(intervals[0].second, 3.0);
  EXPECT_NEAR(normalizeAngle(3 * M_PI), M_PI, 1e-12);
  EXPECT_NEAR(normalizeAngle(-M_PI / 2 - 2 * M_PI), -M_PI / 2, 1e-12);
}

TEST(CoveragePlan, LanesAlternateAndSpanTheZone)
{
  const CoveragePlan plan({kRoom}, 0.5);
  const auto & waypoints = plan.waypoints();
  ASSERT_EQ(waypoints.size(), 8U);  // four lanes, two ends each
  for (std::size_t lane = 0; lane < 4; ++lane) {
    const Pose2D & start = waypoints[2 * lane];
    const Pose2D & end = waypoints[2 * lane + 1];
    EXPECT_DOUBLE_EQ(start.y, 0.25 + 0.5 * static_cast<double>(lane));
    EXPECT_DOUBLE_EQ(end.y, start.y);
    EXPECT_DOUBLE_EQ(start.x, lane % 2 == 0 ? 0.0 : 3.0);
    EXPECT_DOUBLE_EQ(end.x, lane % 2 == 0 ? 3.0 : 0.0);
  }
}

TEST(CoveragePlan, PartialSweepSplitsTheZoneIntoCleanedAndResidue)
{
  const Polygon2D second{{5, 0}, {6, 0}, {6, 1}, {5, 1}};
  const CoveragePlan plan({kRoom, second}, 0.5);
  EXPECT_DOUBLE_EQ(plan.cleanedArea(0), 0.0);
  EXPECT_EQ(plan.residues(0).size(), 2U);
  // Two lanes of the first zone done: its lower half is clean.
  EXPECT_DOUBLE_EQ(plan.cleanedArea(4), 3.0);
  const auto residues = plan.residues(4);
  ASSERT_EQ(residues.size(), 2U);
  EXPECT_DOUBLE_EQ(area(residues[0]), 3.0);
  EXPECT_DOUBLE_EQ(area(residues[1]), 1.0);
  EXPECT_DOUBLE_EQ(plan.cleanedArea(plan.waypoints().size()), 7.0);
  EXPECT_TRUE(plan.residues(plan.waypoints().size()).empty());
}

TEST(CoveragePlan, RefusesWhatItCannotSweepWithoutPlanningAnything)
{
  const struct
  {
    const char * what;
    std::vector<Polygon2D> zones;
    double spacing;
  } cases[] = {
    {"no spacing", {kRoom}, 0.0},
    {"a zone taller than the lanes of a sweep", {{{0, 0}, {1, 0}, {1, 2 * kWorldLimit}}}, 0.5},
    {"many zones", std::vector<Polygon2D>(CoveragePlan::kMaxLanes / 4 + 1, kRoom), 0.5},
    {"an infinite corner", {{{0, 0}, {INFINITY, 0}, {0, 1}}}, 0.5},
    {"a corner that is not a number", {{{0, 0}, {1, 0}, {0, NAN}}}, 0.5},
  };
  for (const auto & zones : cases) {
    EXPECT_THROW(CoveragePlan(zones.zones, zones.spacing), std::logic_error) << zones.what;
  }
  // Half the lanes a sweep may have.
  EXPECT_NO_THROW(CoveragePlan({kRoom}, 4.0 / CoveragePlan::kMaxLanes));
}

}  // namespace
}  // namespace velmoran_nav2_sim

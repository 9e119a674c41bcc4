// Geometry and the coverage plan: the numbers the sweep, the cleaned area and the residues rest on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

TEST(CoveragePlan, RejectsANonPositiveSpacing)
{
  EXPECT_THROW(CoveragePlan({kRoom}, 0.0), std::invalid_argument);
}

}  // namespace
}  // namespace velmoran_nav2_sim

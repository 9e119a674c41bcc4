// The plot: well-formed SVG with the trajectory, goals, zones and legend; and the plot of the
// tour scenario's run.
#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <filesystem>
#include <string>

#include "velmoran_nav2_sim/svg_plot.hpp"

namespace velmoran_nav2_sim
{
namespace
{

const tinyxml2::XMLElement * group(const tinyxml2::XMLDocument & document, const std::string & id)
{
  for (auto * element = document.RootElement()->FirstChildElement("g"); element != nullptr;
       element = element->NextSiblingElement("g")) {
    if (element->Attribute("id", id.c_str())) {
      return element;
    }
  }
  return nullptr;
}

int countChildren(const tinyxml2::XMLElement * parent, const char * name)
{
  int count = 0;
  for (auto * child = parent->FirstChildElement(name); child != nullptr;
       child = child->NextSiblingElement(name)) {
    ++count;
  }
  return count;
}

TEST(SvgPlot, IsWellFormedSvgWithOnePolylinePerJobRun)
{
  SvgPlot::Content content;
  content.title = "a & b <run>";
  content.obstacles = {{{4, 3}, {5, 3}, {5, 4}}};
  JobRecord first;
  first.number = 1;
  first.name = "one";
  first.goals = {{2, 0, 0}};
  first.zones = {{{0, -2}, {2, -2}, {2, -1}}};
  first.residues = {{{1, -2}, {2, -2}, {2, -1}}};
  JobRecord second;
  second.number = 2;
  second.name = "two";
  second.lift_car = {{6, 0}, {7, 0}, {7, 1}, {6, 1}};
  content.jobs = {first, second};
  content.trajectory = {
    {0.0, {0, 0, 0}, 1}, {1.0, {1, 0, 0}, 1}, {2.0, {2, 0, 0}, 2}, {3.0, {6.5, 0.5, 0}, 2}};

  tinyxml2::XMLDocument document;
  ASSERT_EQ(document.Parse(SvgPlot::render(content).c_str()), tinyxml2::XML_SUCCESS);
  EXPECT_STREQ(document.RootElement()->Name(), "svg");
  EXPECT_STREQ(document.RootElement()->Attribute("xmlns"), "http://www.w3.org/2000/svg");
  const auto * trajectory = group(document, "trajectory");
  ASSERT_NE(trajectory, nullptr);
  EXPECT_EQ(countChildren(trajectory, "polyline"), 2);
  EXPECT_STREQ(
    trajectory->FirstChildElement("polyline")->Attribute("stroke"), SvgPlot::colour(1).c_str());
  EXPECT_EQ(countChildren(group(document, "obstacles"), "polygon"), 1);
  EXPECT_EQ(countChildren(group(document, "zones"), "polygon"), 2);
  EXPECT_EQ(countChildren(group(document, "elevator"), "polygon"), 1);
  EXPECT_EQ(countChildren(group(document, "goals"), "circle"), 1);
  EXPECT_NE(SvgPlot::colour(1), SvgPlot::colour(2));
}

TEST(SvgPlot, AWorldWideRunKeepsItsGridAndPictureSmall)
{
  SvgPlot::Content content;
  content.obstacles = {{{-kWorldLimit, -kWorldLimit}, {kWorldLimit, -kWorldLimit}, {0, 1}}};
  JobRecord far;
  far.number = 1;
  far.goals = {{kWorldLimit, kWorldLimit, 0}};
  content.jobs = {far};
  content.trajectory = {{0.0, {0, 0, 0}, 1}, {1.0, {kWorldLimit, kWorldLimit, 0}, 1}};

  const std::string svg = SvgPlot::render(content);
  EXPECT_LT(svg.size(), 100000U);
  tinyxml2::XMLDocument document;
  ASSERT_EQ(document.Parse(svg.c_str()), tinyxml2::XML_SUCCESS);
  EXPECT_LE(countChildren(group(document, "grid"), "line"), 2 * 101);
  EXPECT_LE(document.RootElement()->DoubleAttribute("width"), 4000.0);
  EXPECT_LE(document.RootElement()->DoubleAttribute("height"), 4000.0);
}

TEST(SvgPlot, TheTourRunLeftAPlotWithItsTrajectory)
{
  if (!std::filesystem::exists(VELMORAN_SIM_TOUR_PLOT)) {
    GTEST_SKIP() << "the tour scenario has not run";
  }
  tinyxml2::XMLDocument document;
  ASSERT_EQ(document.LoadFile(VELMORAN_SIM_TOUR_PLOT), tinyxml2::XML_SUCCESS);
  const auto * trajectory = group(document, "trajectory");
  ASSERT_NE(trajectory, nullptr);
  EXPECT_GE(countChildren(trajectory, "polyline"), 10);
  const std::string points = trajectory->FirstChildElement("polyline")->Attribute("points");
  EXPECT_GT(points.size(), 20U);
  EXPECT_GE(countChildren(group(document, "zones"), "polygon"), 3);
}

}  // namespace
}  // namespace velmoran_nav2_sim

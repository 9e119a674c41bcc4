// The results table: one row per job, every cell within its column's width.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "velmoran_nav2_sim/result_table.hpp"

namespace velmoran_nav2_sim
{
namespace
{

using ::testing::HasSubstr;

std::vector<std::string> linesOf(const std::string & text)
{
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    lines.push_back(line);
  }
  return lines;
}

TEST(ResultTable, CutsLongCellsVisiblyAndMarksAnInterruptedJob)
{
  JobRecord verbose;
  verbose.number = 1;
  verbose.name = std::string(300, 'n');
  verbose.finished = true;
  verbose.outcome = "aborted";
  verbose.expect.outcome = "aborted";
  verbose.message = std::string(301, 'm');
  verbose.run_mode = -2147483647 - 1;
  JobRecord interrupted;
  interrupted.number = 2;
  interrupted.name = "patrol";
  interrupted.interrupted = true;

  const auto lines = linesOf(ResultTable::format({verbose, interrupted}));
  ASSERT_EQ(lines.size(), 4U);
  // The widest row: the header's columns at their widest, two spaces apart.
  EXPECT_LE(lines[2].size(), 220U);
  EXPECT_THAT(lines[2], HasSubstr(std::string(21, 'n') + "...  "));
  EXPECT_THAT(lines[2], HasSubstr(std::string(37, 'm') + "...  "));
  EXPECT_THAT(lines[2], HasSubstr("UNKNOWN(-2147483648)"));
  EXPECT_THAT(lines[3], HasSubstr("interrupted"));
  EXPECT_EQ(lines[3].back(), '-');
  EXPECT_TRUE(interrupted.mismatches().empty());
}

}  // namespace
}  // namespace velmoran_nav2_sim

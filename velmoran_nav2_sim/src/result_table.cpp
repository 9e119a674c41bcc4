#include "velmoran_nav2_sim/result_table.hpp"

#include <algorithm>
#include <array>
#include <string_view>

#include <fmt/format.h>

#include <velmoran_protocol/run_modes.hpp>

namespace velmoran_nav2_sim
{

namespace
{
constexpr std::size_t kColumns = 11;
using Row = std::array<std::string, kColumns>;
/// The widest each column gets; a longer cell is cut and ends in "...".
constexpr std::array<std::size_t, kColumns> kMaxWidths{6, 24, 36, 12, 11, 11, 40, 12, 16, 16, 11};
constexpr std::string_view kCut = "...";

std::string fitted(const std::string & cell, std::size_t width)
{
  if (cell.size() <= width) {
    return cell;
  }
  return cell.substr(0, width - kCut.size()) + std::string(kCut);
}

Row rowOf(const JobRecord & job)
{
  const bool finished = job.finished;
  return {
    std::to_string(job.number),
    job.name,
    ResultTable::runModeName(job.run_mode),
    job.shownOutcome(),
    finished ? std::to_string(job.err_num) : "-",
    finished ? std::to_string(job.index) : "-",
    finished ? job.message : "-",
    fmt::format("{:.1f}", job.sim_end - job.sim_start),
    fmt::format("{:.2f}", job.distance),
    job.outcome == "succeeded" ? fmt::format("{:.2f}", job.cleaned_area) : "-",
    job.interrupted            ? "-"
    : job.mismatches().empty() ? "yes"
                               : "NO"};
}
}  // namespace

std::string ResultTable::runModeName(int32_t run_mode)
{
  const std::string & name = velmoran_protocol::runModeName(run_mode);
  return name == velmoran_protocol::kUnknownRunModeName ? fmt::format("{}({})", name, run_mode)
                                                        : name;
}

std::string ResultTable::format(const std::vector<JobRecord> & jobs)
{
  const Row header{"#",       "job",    "run mode", "outcome",    "err_num",    "index",
                   "message", "time s", "driven m", "cleaned m2", "as expected"};
  std::vector<Row> rows{header};
  for (const auto & job : jobs) {
    rows.push_back(rowOf(job));
    for (std::size_t column = 0; column < kColumns; ++column) {
      rows.back()[column] = fitted(rows.back()[column], kMaxWidths[column]);
    }
  }
  std::array<std::size_t, kColumns> widths{};
  for (const auto & row : rows) {
    for (std::size_t column = 0; column < kColumns; ++column) {
      widths[column] = std::max(widths[column], row[column].size());
    }
  }
  std::string text;
  auto appendRow = [&](const Row & row) {
    for (std::size_t column = 0; column + 1 < kColumns; ++column) {
      text += fmt::format("{:<{}}  ", row[column], widths[column]);
    }
    text += row.back() + "\n";
  };
  appendRow(header);
  std::size_t total = 0;
  for (const auto width : widths) {
    total += width + 2;
  }
  text += std::string(total - 2, '-') + "\n";
  for (std::size_t i = 1; i < rows.size(); ++i) {
    appendRow(rows[i]);
  }
  return text;
}

std::string ResultTable::progressLine(const JobRecord & job, std::size_t job_count)
{
  return fmt::format(
    "[job {}/{}] {} ({}): {}{}, {:.1f} s, {:.2f} m", job.number, job_count, job.name,
    runModeName(job.run_mode), job.shownOutcome(),
    job.message.empty() ? std::string() : " \"" + job.message + "\"", job.sim_end - job.sim_start,
    job.distance);
}

}  // namespace velmoran_nav2_sim

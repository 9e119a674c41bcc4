#include "velmoran_nav2_sim/job_record.hpp"

#include <fmt/format.h>

namespace velmoran_nav2_sim
{

std::vector<std::string> JobRecord::mismatches() const
{
  std::vector<std::string> found;
  if (interrupted) {
    return found;
  }
  const std::string job = fmt::format("job {} '{}'", number, name);
  if (!lost_because.empty()) {
    found.push_back(fmt::format("{}: failed: {}", job, lost_because));
    return found;
  }
  if (!finished) {
    found.push_back(fmt::format("{}: no result", job));
    return found;
  }
  if (outcome != expect.outcome) {
    found.push_back(fmt::format("{}: outcome {}, expected {}", job, outcome, expect.outcome));
  }
  if (expect.err_num && *expect.err_num != err_num) {
    found.push_back(fmt::format("{}: err_num {}, expected {}", job, err_num, *expect.err_num));
  }
  if (expect.index && *expect.index != index) {
    found.push_back(fmt::format("{}: index {}, expected {}", job, index, *expect.index));
  }
  if (expect.message && *expect.message != message) {
    found.push_back(
      fmt::format("{}: message \"{}\", expected \"{}\"", job, message, *expect.message));
  }
  return found;
}

std::string JobRecord::shownOutcome() const { return interrupted ? "interrupted" : outcome; }

}  // namespace velmoran_nav2_sim

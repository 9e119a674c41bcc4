#pragma once

#include <string>
#include <vector>

#include "velmoran_nav2_sim/job_record.hpp"

namespace velmoran_nav2_sim
{

/// The results of a scenario run as a text table, one row per job.
class ResultTable
{
public:
  static std::string format(const std::vector<JobRecord> & jobs);
  /// The progress line of one finished job.
  static std::string progressLine(const JobRecord & job, std::size_t job_count);
  static std::string runModeName(int32_t run_mode);
};

}  // namespace velmoran_nav2_sim

#pragma once

#include <string>
#include <vector>

#include "velmoran_nav2_sim/geometry.hpp"
#include "velmoran_nav2_sim/job_record.hpp"
#include "velmoran_nav2_sim/sim_robot.hpp"

namespace velmoran_nav2_sim
{

/// A picture of a scenario run in the map frame: obstacles, elevator cars, zones covered and
/// left, goal poses, and the robot's trajectory, in one colour per job, with a legend.
class SvgPlot
{
public:
  struct Content
  {
    std::string title;
    Pose2D start;
    std::vector<Polygon2D> obstacles;
    std::vector<JobRecord> jobs;
    std::vector<SimRobot::Sample> trajectory;
  };

  static std::string render(const Content & content);
  /// Renders into a file; throws std::runtime_error when the file cannot be written.
  static void write(const Content & content, const std::string & path);

  /// The colour of a job's number.
  static std::string colour(int job_number);
};

}  // namespace velmoran_nav2_sim

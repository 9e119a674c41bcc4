#pragma once

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include <geometry_msgs/msg/pose_stamped.hpp>

namespace bt_navigator
{

/// The text file in which every job records its goal poses, one line per pose:
/// "x y z qw qx qy qz". The file is named after the job's start time (local time, whole seconds).
/// A directory that does not exist is not created: the record is then skipped without notice.
class GoalRecordFile
{
public:
  /// Directory used by the robot's deployment.
  static constexpr const char * kDefaultDirectory = "/opt/velmoran/kestrova/path/";

  /// Opens (and truncates) the record of a job that started at `job_start` in `directory`,
  /// which must end with a slash.
  GoalRecordFile(const std::string & directory, std::chrono::system_clock::time_point job_start);

  /// "<directory><%Y年%m月%d日%H时%M分%S秒>.txt" for `job_start` in local time.
  static std::string pathFor(
    const std::string & directory, std::chrono::system_clock::time_point job_start);

  /// Writes one flushed line per pose and closes the file; does nothing if it could not be opened.
  void writeAndClose(const std::vector<geometry_msgs::msg::PoseStamped> & poses);

private:
  std::ofstream stream_;
};

}  // namespace bt_navigator

#pragma once

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include <geometry_msgs/msg/pose_stamped.hpp>

namespace bt_navigator
{

/// The text file in which every job records its goal poses, one line per pose:
/// "x y z qw qx qy qz". The file is named after the job's start time (local time, whole seconds);
/// a job that starts in the same second as an earlier one adds "_2", "_3" and so on before ".txt",
/// so that no record replaces another. A directory that does not exist is not created: the record
/// is then skipped without notice.
class GoalRecordFile
{
public:
  /// Directory used by the robot's deployment.
  static constexpr const char * kDefaultDirectory = "/opt/velmoran/kestrova/path/";

  /// Creates the record of a job that started at `job_start` in `directory`, which must end with
  /// a slash, under the first name of pathFor's that no file has yet.
  GoalRecordFile(const std::string & directory, std::chrono::system_clock::time_point job_start);

  /// "<directory><%Y年%m月%d日%H时%M分%S秒>.txt" for `job_start` in local time, or with
  /// "_<copy>" before ".txt" for a `copy` from 2 on.
  static std::string pathFor(
    const std::string & directory, std::chrono::system_clock::time_point job_start,
    unsigned copy = 1);

  /// The file written; empty when none could be created.
  const std::string & path() const { return path_; }

  /// Writes one flushed line per pose and closes the file; does nothing if it could not be opened.
  void writeAndClose(const std::vector<geometry_msgs::msg::PoseStamped> & poses);

private:
  std::string path_;
  std::ofstream stream_;
};

}  // namespace bt_navigator

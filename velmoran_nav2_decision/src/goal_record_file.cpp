#include "goal_record_file.hpp"

#include <ctime>

namespace bt_navigator
{

GoalRecordFile::GoalRecordFile(
  const std::string & directory, std::chrono::system_clock::time_point job_start)
: stream_(pathFor(directory, job_start), std::ios::out | std::ios::trunc)
{
}

std::string GoalRecordFile::pathFor(
  const std::string & directory, std::chrono::system_clock::time_point job_start)
{
  const std::time_t seconds = std::chrono::system_clock::to_time_t(job_start);
  std::tm local_time{};
  localtime_r(&seconds, &local_time);
  char name[128];
  const std::size_t length =
    std::strftime(name, sizeof(name), "%Y年%m月%d日%H时%M分%S秒", &local_time);
  return directory + std::string(name, length) + ".txt";
}

void GoalRecordFile::writeAndClose(const std::vector<geometry_msgs::msg::PoseStamped> & poses)
{
  if (!stream_.is_open()) {
    return;
  }
  for (const auto & stamped : poses) {
    const auto & pose = stamped.pose;
    stream_ << pose.position.x << ' ' << pose.position.y << ' ' << pose.position.z << ' '
            << pose.orientation.w << ' ' << pose.orientation.x << ' ' << pose.orientation.y << ' '
            << pose.orientation.z << '\n'
            << std::flush;
  }
  stream_.close();
}

}  // namespace bt_navigator

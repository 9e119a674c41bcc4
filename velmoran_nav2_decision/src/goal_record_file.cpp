#include "goal_record_file.hpp"

#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <unistd.h>

namespace bt_navigator
{

GoalRecordFile::GoalRecordFile(
  const std::string & directory, std::chrono::system_clock::time_point job_start)
{
  // Creating the file exclusively claims its name, even against another writer.
  for (unsigned copy = 1;; ++copy) {
    const std::string candidate = pathFor(directory, job_start, copy);
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ::close(fd);
      path_ = candidate;
      stream_.open(path_, std::ios::out | std::ios::trunc);
      return;
    }
    if (errno != EEXIST) {
      return;
    }
  }
}

std::string GoalRecordFile::pathFor(
  const std::string & directory, std::chrono::system_clock::time_point job_start, unsigned copy)
{
  const std::time_t seconds = std::chrono::system_clock::to_time_t(job_start);
  std::tm local_time{};
  localtime_r(&seconds, &local_time);
  char name[128];
  const std::size_t length =
    std::strftime(name, sizeof(name), "%Y年%m月%d日%H时%M分%S秒", &local_time);
  const std::string suffix = copy > 1 ? "_" + std::to_string(copy) : std::string();
  return directory + std::string(name, length) + suffix + ".txt";
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

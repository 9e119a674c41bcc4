// Two Cyclone DDS participants in separate processes exchange a PoseStamped on "rt/chatter" over
// loopback. The test first moves into a network namespace of its own, so nothing it sends can
// leave the machine or meet another test's participants.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "geometry_msgs/msg/pose_stamped.hpp"
#include "private_network.hpp"
#include "rmw/qos_profiles.h"
#include "rmw_dds/cyclone_participant.hpp"
#include "rmw_dds/message_serialization.hpp"

namespace
{
using namespace std::chrono_literals;

constexpr uint32_t kDomain = 42;
const char kLoopbackOnly[] =
  "<CycloneDDS><Domain><General><Interfaces><NetworkInterface name=\"lo\"/></Interfaces>"
  "<AllowMulticast>false</AllowMulticast></General>"
  "<Discovery><ParticipantIndex>auto</ParticipantIndex>"
  "<Peers><Peer address=\"127.0.0.1\"/></Peers></Discovery></Domain></CycloneDDS>";

geometry_msgs::msg::PoseStamped chatter_pose()
{
  geometry_msgs::msg::PoseStamped pose;
  pose.header.stamp.sec = 12;
  pose.header.frame_id = "odom";
  pose.pose.position.x = 1.5;
  pose.pose.orientation.w = 1.0;
  return pose;
}

/// The child: takes one sample and sends its bytes through `fd`; exits non-zero on failure.
[[noreturn]] void run_reader(int fd)
{
  int status = 1;
  try {
    rmw_dds::CycloneParticipant participant(kDomain, kLoopbackOnly);
    rmw_dds::CycloneReader reader(
      participant, rmw_dds::dds_topic<geometry_msgs::msg::PoseStamped>("/chatter"),
      rmw_dds::to_dds_qos(rmw_qos_profile_default));
    const auto sample = reader.take(20s);
    if (sample) {
      const uint32_t size = static_cast<uint32_t>(sample->size());
      status = write(fd, &size, sizeof(size)) == sizeof(size) &&
                   write(fd, sample->data(), size) == static_cast<ssize_t>(size)
                 ? 0
                 : 3;
    }
  } catch (...) {
    status = 2;
  }
  close(fd);
  _exit(status);
}

bool read_all(int fd, void * target, size_t size, std::chrono::milliseconds timeout)
{
  auto * bytes = static_cast<uint8_t *>(target);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (size > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
    pollfd descriptor{fd, POLLIN, 0};
    if (left.count() <= 0 || poll(&descriptor, 1, static_cast<int>(left.count())) <= 0) {
      return false;
    }
    const ssize_t got = read(fd, bytes, size);
    if (got <= 0) {
      return false;
    }
    bytes += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

TEST(CycloneParticipant, PoseStampedCrossesToAReaderInAnotherProcess)
{
  const std::string refused = embedded_ros_test::enter_private_network();
  if (!refused.empty()) {
    GTEST_SKIP() << "needs a private network namespace (run as root): " << refused;
  }
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(pipe_fds[0]);
    run_reader(pipe_fds[1]);
  }
  close(pipe_fds[1]);

  const std::vector<uint8_t> sent = rmw_dds::serialize(chatter_pose());
  ASSERT_EQ(sent.size() % 4, 0U);  // so that Cyclone's padding adds nothing
  {
    rmw_dds::CycloneParticipant participant(kDomain, kLoopbackOnly);
    const auto topic = rmw_dds::dds_topic<geometry_msgs::msg::PoseStamped>("/chatter");
    EXPECT_EQ(topic.name, "rt/chatter");
    EXPECT_EQ(topic.type, "geometry_msgs::msg::dds_::PoseStamped_");
    rmw_dds::CycloneWriter writer(participant, topic, rmw_dds::to_dds_qos(rmw_qos_profile_default));
    ASSERT_TRUE(writer.wait_for_readers(1, 20s)) << "the reader process was never matched";
    writer.write(sent);

    uint32_t size = 0;
    std::vector<uint8_t> received;
    if (read_all(pipe_fds[0], &size, sizeof(size), 20s)) {
      received.resize(size);
      EXPECT_TRUE(read_all(pipe_fds[0], received.data(), size, 5s));
    }
    close(pipe_fds[0]);
    EXPECT_EQ(received, sent);
    if (!received.empty()) {
      geometry_msgs::msg::PoseStamped decoded;
      rmw_dds::deserialize(received, decoded);
      EXPECT_EQ(decoded, chatter_pose());
    }
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "reader process status " << status;
}

}  // namespace

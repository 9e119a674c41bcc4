#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "geometry_msgs/msg/pose_stamped.hpp"
#include "rmw_dds/cdr_error.hpp"
#include "rmw_dds/message_serialization.hpp"
#include "rmw_dds/request_header.hpp"
#include "rmw_dds_test_msgs/msg/all_types.hpp"
#include "rmw_dds_test_msgs/msg/bounded.hpp"
#include "rmw_dds_test_msgs/msg/wide_text.hpp"
#include "velmoran_protocol/action/planner.hpp"

namespace
{
using Bytes = std::vector<uint8_t>;

Bytes pose_sample()
{
  geometry_msgs::msg::PoseStamped pose;
  pose.header.frame_id = "odom";
  pose.pose.orientation.w = 1.0;
  return rmw_dds::serialize(pose);  // frame_id length at byte 12, "odom\0" at 16..20
}

Bytes with(Bytes bytes, size_t at, std::vector<uint8_t> replacement)
{
  for (size_t i = 0; i < replacement.size(); ++i) {
    bytes.at(at + i) = replacement[i];
  }
  return bytes;
}

Bytes truncated(Bytes bytes, size_t size)
{
  bytes.resize(size);
  return bytes;
}

/// A Planner goal whose one pose claims a frame_id of 2^31 - 1 bytes; the 60 bytes after the
/// length leave room for the pose's minimum size (68 bytes) from the sequence length on.
Bytes nested_string_too_long()
{
  Bytes bytes = {0x00, 0x01, 0x00, 0x00, 1, 0, 0, 0, 2, 0, 0, 0,  // action_id, run_mode
                 1,    0,    0,    0,                             // 8: goal_poses: 1
                 0,    0,    0,    0,    0, 0, 0, 0,              // 12: stamp
                 0xff, 0xff, 0xff, 0x7f};                         // 20: frame_id length
  bytes.resize(bytes.size() + 60, 0);
  return bytes;
}

template <typename MessageT>
std::function<void(const uint8_t *, size_t)> decode_as()
{
  return [](const uint8_t * data, size_t size) {
    MessageT message;
    rmw_dds::deserialize_message(rmw_dds::members_of<MessageT>(), data, size, &message);
  };
}

std::function<void(const uint8_t *, size_t)> decode_request_for_pose()
{
  return [](const uint8_t * data, size_t size) {
    geometry_msgs::msg::PoseStamped pose;
    rmw_dds::deserialize_service_sample(
      rmw_dds::members_of<geometry_msgs::msg::PoseStamped>(), data, size, &pose);
  };
}

struct MalformedCase
{
  const char * name;
  Bytes sample;
  std::function<void(const uint8_t *, size_t)> decode;
  std::string expected_error;
};

TEST(MalformedSamples, AreRefusedWithAnErrorNamingTheFault)
{
  using Pose = geometry_msgs::msg::PoseStamped;
  using Goal = velmoran_protocol::action::Planner::Goal;
  const Bytes pose = pose_sample();

  const std::vector<MalformedCase> cases = {
    {"empty sample",
     {},
     decode_as<Pose>(),
     "sample of 0 bytes is shorter than the 4-byte encapsulation header"},
    {"cut inside the encapsulation header",
     {0x00, 0x01, 0x00},
     decode_as<Pose>(),
     "sample of 3 bytes is shorter than the 4-byte encapsulation header"},
    {"parameter-list encapsulation", with(pose, 0, {0x00, 0x03}), decode_as<Pose>(),
     "unknown encapsulation 0x00 0x03: only plain CDR"},
    {"XCDR2 encapsulation", with(pose, 0, {0x00, 0x07}), decode_as<Pose>(),
     "unknown encapsulation 0x00 0x07"},
    {"garbage encapsulation", with(pose, 0, {0x7b, 0x22}), decode_as<Pose>(),
     "unknown encapsulation 0x7b 0x22"},
    {"header only", truncated(pose, 4), decode_as<Pose>(),
     "header.stamp.sec: truncated sample: the value needs 4 bytes, 0 left at byte 4"},
    {"truncated inside the last double", truncated(pose, pose.size() - 3), decode_as<Pose>(),
     "pose.orientation.w: truncated sample: the value needs 8 bytes, 5 left at byte 76"},
    {"string cut before its terminator", truncated(pose, 19), decode_as<Pose>(),
     "header.frame_id: string length 5 (x 1 bytes) does not fit the 3 bytes left at byte 12"},
    {"string without terminator", with(pose, 20, {'x'}), decode_as<Pose>(),
     "header.frame_id: string of 5 bytes has no NUL terminator at byte 16"},
    {"string length beyond the sample", with(pose, 12, {0xf0, 0xff, 0xff, 0xff}), decode_as<Pose>(),
     "header.frame_id: string length 4294967280 (x 1 bytes) does not fit the 68 bytes left"},
    {"sequence length beyond the sample",
     {0x00, 0x01, 0x00, 0x00, 1, 0, 0, 0, 2, 0, 0, 0, 0x40, 0x42, 0x0f, 0x00},
     decode_as<Goal>(),
     "goal_poses: sequence length 1000000 (x 68 bytes) does not fit the 0 bytes left at byte 12"},
    {"wide string longer than the sample",
     {0x00, 0x01, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 'a', 0},
     decode_as<rmw_dds_test_msgs::msg::WideText>(),
     "text: wstring length 3 (x 4 bytes) does not fit the 6 bytes left at byte 4"},
    {"bounded sequence above its bound",
     {0x00, 0x01, 0x00, 0x00, 4, 0, 0, 0, 1, 0, 2, 0, 3, 0, 4, 0, 1, 0, 0, 0, 0},
     decode_as<rmw_dds_test_msgs::msg::Bounded>(),
     "values: sequence of 4 elements exceeds its bound of 3"},
    {"bounded string above its bound",
     {0x00, 0x01, 0x00, 0x00, 0, 0, 0, 0, 7, 0, 0, 0, 'a', 'b', 'c', 'd', 'e', 'f', 0},
     decode_as<rmw_dds_test_msgs::msg::Bounded>(),
     "name: string of 6 characters exceeds its bound of 5"},
    {"wide character beyond UTF-16",
     {0x00, 0x01, 0x00, 0x00, 1, 0, 0, 0, 0x00, 0x00, 0x11, 0x00, 0, 0, 0, 0, 0, 0},
     decode_as<rmw_dds_test_msgs::msg::WideText>(),
     "text: wstring holds a character beyond UTF-16"},
    {"nested string length beyond the sample", nested_string_too_long(), decode_as<Goal>(),
     "goal_poses[0].header.frame_id: string length 2147483647 (x 1 bytes) does not fit the "
     "60 bytes left at byte 24"},
    {"request header cut short",
     {0x00, 0x01, 0x00, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
     decode_request_for_pose(),
     "request header: truncated sample: a 64-bit value needs 8 bytes, 2 left at byte 12"},
  };

  for (const auto & c : cases) {
    // An exactly sized heap copy, so that a read past the end would hit the allocator's
    // guard under the address sanitizer.
    const auto copy = std::make_unique<uint8_t[]>(c.sample.size() + 0);
    std::copy(c.sample.begin(), c.sample.end(), copy.get());
    try {
      c.decode(c.sample.empty() ? nullptr : copy.get(), c.sample.size());
      ADD_FAILURE() << c.name << ": decoded without an error";
    } catch (const rmw_dds::CdrError & error) {
      EXPECT_NE(std::string(error.what()).find(c.expected_error), std::string::npos)
        << c.name << ": got \"" << error.what() << "\"";
    }
  }
}

TEST(MalformedSamples, BigEndianPlainCdrIsRead)
{
  // Peers on big-endian machines send 00 00; the values are then swapped on reading.
  const Bytes sample = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02,  // values: 2
                        0x12, 0x34, 0xff, 0xfe,                          // 4: 0x1234, -2
                        0x00, 0x00, 0x00, 0x02, 'o',  0};                // 8: name "o"
  rmw_dds_test_msgs::msg::Bounded message;
  rmw_dds::deserialize(sample, message);
  ASSERT_EQ(message.values.size(), 2U);
  EXPECT_EQ(message.values[0], 0x1234);
  EXPECT_EQ(message.values[1], -2);
  EXPECT_EQ(message.name, "o");
}

}  // namespace

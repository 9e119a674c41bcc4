// Golden bytes of the CDR encoding, written out by hand from the rules that Cyclone DDS and
// rmw_cyclonedds_cpp follow for plain little-endian CDR (XCDR1):
//  - 4-byte encapsulation header 00 01 00 00 (plain CDR, little endian, no options);
//  - offsets count from the first byte after that header;
//  - each primitive is aligned to its own size (8 at most), padding bytes are zero;
//  - structs have no alignment of their own: their first member aligns;
//  - string: uint32 length including the NUL, the bytes, the NUL;
//  - sequence: uint32 element count, then the elements; fixed array: the elements alone;
//  - wstring: uint32 character count, then 4 bytes per character, no terminator.
// Each row below is commented with the data offset of its first byte.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "action_msgs/msg/goal_status_array.hpp"
#include "geometry_msgs/msg/pose_stamped.hpp"
#include "rmw_dds/message_serialization.hpp"
#include "rmw_dds/request_header.hpp"
#include "rmw_dds_test_msgs/msg/all_types.hpp"
#include "rmw_dds_test_msgs/msg/wide_text.hpp"
#include "velmoran_protocol/action/planner.hpp"

namespace
{
using Bytes = std::vector<uint8_t>;

geometry_msgs::msg::PoseStamped odom_pose()
{
  geometry_msgs::msg::PoseStamped pose;
  pose.header.stamp.sec = 1;
  pose.header.stamp.nanosec = 2;
  pose.header.frame_id = "odom";
  pose.pose.position.x = 1.0;
  pose.pose.position.y = 2.0;
  pose.pose.position.z = 0.5;
  pose.pose.orientation.w = 1.0;
  return pose;
}

const Bytes kOdomPose = {
  0x00, 0x01, 0x00, 0x00,                          // encapsulation: plain CDR, little endian
  0x01, 0x00, 0x00, 0x00,                          // 0: header.stamp.sec = 1
  0x02, 0x00, 0x00, 0x00,                          // 4: header.stamp.nanosec = 2
  0x05, 0x00, 0x00, 0x00,                          // 8: frame_id length 5 ("odom" and NUL)
  'o',  'd',  'o',  'm',  0x00,                    // 12..16
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,        // 17..23: padding, the next double aligns to 24
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf0, 0x3f,  // 24: position.x = 1.0
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40,  // 32: position.y = 2.0
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xe0, 0x3f,  // 40: position.z = 0.5
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 48: orientation.x = 0
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 56: orientation.y = 0
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 64: orientation.z = 0
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf0, 0x3f,  // 72: orientation.w = 1.0
};

TEST(CdrEncoding, PoseStampedMatchesHandDerivedBytes)
{
  EXPECT_EQ(rmw_dds::serialize(odom_pose()), kOdomPose);

  geometry_msgs::msg::PoseStamped decoded;
  rmw_dds::deserialize(kOdomPose, decoded);
  EXPECT_EQ(decoded, odom_pose());
}

velmoran_protocol::action::Planner::Goal zone_goal()
{
  velmoran_protocol::action::Planner::Goal goal;
  goal.action_id = 7;
  goal.run_mode = velmoran_protocol::action::Planner::Goal::DYNAMICCOVERAGE;
  geometry_msgs::msg::PoseStamped first;
  first.header.frame_id = "map";
  first.pose.position.x = 1.0;
  first.pose.position.y = 2.0;
  first.pose.orientation.w = 1.0;
  goal.goal_poses.push_back(first);
  geometry_msgs::msg::Polygon zone;
  zone.points.resize(3);
  zone.points[1].x = 2.0F;
  zone.points[2].x = 2.0F;
  zone.points[2].y = 1.0F;
  goal.goal_zones.push_back(zone);
  geometry_msgs::msg::Point32 covered;
  covered.x = 0.5F;
  covered.y = 0.5F;
  goal.covered_points.push_back(covered);
  goal.distance = 3.0F;
  goal.command = velmoran_protocol::action::Planner::Goal::COMMAND_KEEP_RUNNING;
  goal.max_speed = 0.5F;
  goal.planner_param_a = -1;
  goal.planner_param_b = 258;
  geometry_msgs::msg::PoseStamped work_point;
  work_point.header.stamp.sec = 100;
  work_point.header.frame_id = "base_link";
  work_point.pose.position.x = -1.5;
  work_point.pose.orientation.w = 1.0;
  goal.recommand_work_points.push_back(work_point);
  return goal;
}

const Bytes kZoneGoal = {
  0x00, 0x01, 0x00, 0x00,                          // encapsulation
  0x07, 0x00, 0x00, 0x00,                          // 0: action_id = 7
  0xc9, 0x00, 0x00, 0x00,                          // 4: run_mode = 201
  0x01, 0x00, 0x00, 0x00,                          // 8: goal_poses: 1 element
  0x00, 0x00, 0x00, 0x00,                          // 12: [0].header.stamp.sec = 0
  0x00, 0x00, 0x00, 0x00,                          // 16: [0].header.stamp.nanosec = 0
  0x04, 0x00, 0x00, 0x00,                          // 20: frame_id length 4
  'm',  'a',  'p',  0x00,                          // 24..27
  0x00, 0x00, 0x00, 0x00,                          // 28..31: padding to 32
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf0, 0x3f,  // 32: position.x = 1.0
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40,  // 40: position.y = 2.0
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 48: position.z
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 56: orientation.x
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 64: orientation.y
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 72: orientation.z
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf0, 0x3f,  // 80: orientation.w = 1.0
  0x01, 0x00, 0x00, 0x00,                          // 88: goal_zones: 1 polygon
  0x03, 0x00, 0x00, 0x00,                          // 92: points: 3
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 96: (0, 0, 0)
  0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 108: (2, 0, 0)
  0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x00, 0x00,  // 120: (2, 1, 0)
  0x00, 0x00, 0x00, 0x00,  // 132: extra_zones: empty
  0x01, 0x00, 0x00, 0x00,  // 136: covered_points: 1
  0x00, 0x00, 0x00, 0x3f, 0x00, 0x00, 0x00, 0x3f, 0x00, 0x00, 0x00, 0x00,  // 140: (0.5, 0.5, 0)
  0x00, 0x00, 0x40, 0x40,                                                  // 152: distance = 3.0
  0x02, 0x00, 0x00, 0x00,                                                  // 156: command = 2
  0x00, 0x00, 0x00, 0x3f,                                                  // 160: max_speed = 0.5
  0xff, 0xff, 0xff, 0xff,                                      // 164: planner_param_a = -1
  0x02, 0x01, 0x00, 0x00,                                      // 168: planner_param_b = 258
  0x00, 0x00, 0x00, 0x00,                                      // 172: lift_frame: empty
  0x01, 0x00, 0x00, 0x00,                                      // 176: recommand_work_points: 1
  0x64, 0x00, 0x00, 0x00,                                      // 180: [0].header.stamp.sec = 100
  0x00, 0x00, 0x00, 0x00,                                      // 184: nanosec
  0x0a, 0x00, 0x00, 0x00,                                      // 188: frame_id length 10
  'b',  'a',  's',  'e',  '_',  'l',  'i',  'n',  'k',  0x00,  // 192..201
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                          // 202..207: padding to 208
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf8, 0xbf,              // 208: position.x = -1.5
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // 216: position.y
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // 224: position.z
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // 232: orientation.x
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // 240: orientation.y
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,              // 248: orientation.z
  0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf0, 0x3f,              // 256: orientation.w = 1.0
};

TEST(CdrEncoding, PlannerGoalWithZonesAndStringsMatchesHandDerivedBytes)
{
  EXPECT_EQ(rmw_dds::serialize(zone_goal()), kZoneGoal);

  velmoran_protocol::action::Planner::Goal decoded;
  rmw_dds::deserialize(kZoneGoal, decoded);
  EXPECT_EQ(decoded, zone_goal());
}

action_msgs::msg::GoalStatusArray two_statuses()
{
  action_msgs::msg::GoalStatusArray statuses;
  statuses.status_list.resize(2);
  for (uint8_t i = 0; i < 16; ++i) {
    statuses.status_list[0].goal_info.goal_id.uuid[i] = static_cast<uint8_t>(i + 1);
    statuses.status_list[1].goal_info.goal_id.uuid[i] = static_cast<uint8_t>(0xa0 + i);
  }
  statuses.status_list[0].goal_info.stamp.sec = 5;
  statuses.status_list[0].goal_info.stamp.nanosec = 6;
  statuses.status_list[0].status = action_msgs::msg::GoalStatus::STATUS_EXECUTING;
  statuses.status_list[1].goal_info.stamp.sec = 7;
  statuses.status_list[1].goal_info.stamp.nanosec = 8;
  statuses.status_list[1].status = action_msgs::msg::GoalStatus::STATUS_SUCCEEDED;
  return statuses;
}

const Bytes kTwoStatuses =
  {
    0x00, 0x01, 0x00, 0x00,                          // encapsulation
    0x02, 0x00, 0x00, 0x00,                          // 0: status_list: 2
    0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,  // 4: [0].goal_id.uuid, 16 octets
    0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f, 0x10,
    0x05, 0x00, 0x00, 0x00,  // 20: [0].stamp.sec = 5
    0x06, 0x00, 0x00, 0x00,  // 24: [0].stamp.nanosec = 6
    0x02,  // 28: [0].status = EXECUTING; the next struct starts right here, unaligned
    0xa0, 0xa1, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7,  // 29: [1].goal_id.uuid
    0xa8, 0xa9, 0xaa, 0xab, 0xac, 0xad, 0xae, 0xaf,
    0x00, 0x00, 0x00,        // 45..47: padding, stamp.sec aligns to 48
    0x07, 0x00, 0x00, 0x00,  // 48: [1].stamp.sec = 7
    0x08, 0x00, 0x00, 0x00,  // 52: [1].stamp.nanosec = 8
    0x04,                    // 56: [1].status = SUCCEEDED
};

TEST(CdrEncoding, GoalStatusArrayMatchesHandDerivedBytes)
{
  EXPECT_EQ(rmw_dds::serialize(two_statuses()), kTwoStatuses);

  action_msgs::msg::GoalStatusArray decoded;
  rmw_dds::deserialize(kTwoStatuses, decoded);
  EXPECT_EQ(decoded, two_statuses());
}

TEST(CdrEncoding, WideStringsAndBoolSequencesMatchHandDerivedBytes)
{
  rmw_dds_test_msgs::msg::WideText message;
  message.text = u"h\u00e9";
  message.flags = {true, false, true};
  message.after = 0x1234;
  const Bytes expected = {
    0x00, 0x01, 0x00, 0x00,  // encapsulation
    0x02, 0x00, 0x00, 0x00,  // 0: text: 2 characters, no terminator
    0x68, 0x00, 0x00, 0x00,  // 4: 'h' in 4 bytes
    0xe9, 0x00, 0x00, 0x00,  // 8: e-acute in 4 bytes
    0x03, 0x00, 0x00, 0x00,  // 12: flags: 3
    0x01, 0x00, 0x01,        // 16..18
    0x00,                    // 19: padding to 20
    0x34, 0x12,              // 20: after = 0x1234
  };
  EXPECT_EQ(rmw_dds::serialize(message), expected);

  rmw_dds_test_msgs::msg::WideText decoded;
  rmw_dds::deserialize(expected, decoded);
  EXPECT_EQ(decoded, message);
}

TEST(CdrEncoding, RequestHeaderPrecedesTheMessageInOneStream)
{
  // A request's header is aligned from the start of the data; the message then continues the
  // same alignment, so the PoseStamped's doubles land on offsets 16 bytes further on.
  const rmw_dds::RequestHeader header{0x0102030405060708ULL, 3};
  const auto pose = odom_pose();
  const auto & members = rmw_dds::members_of<geometry_msgs::msg::PoseStamped>();
  const Bytes sample = rmw_dds::serialize_service_sample(header, members, &pose);

  Bytes expected = {
    0x00, 0x01, 0x00, 0x00,                          // encapsulation
    0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  // 0: client
    0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 8: sequence = 3
  };
  expected.insert(expected.end(), kOdomPose.begin() + 4, kOdomPose.end());  // from 16 on
  EXPECT_EQ(sample, expected);

  geometry_msgs::msg::PoseStamped decoded;
  const auto decoded_header =
    rmw_dds::deserialize_service_sample(members, sample.data(), sample.size(), &decoded);
  EXPECT_EQ(decoded_header.client, header.client);
  EXPECT_EQ(decoded_header.sequence, header.sequence);
  EXPECT_EQ(decoded, pose);
}

TEST(CdrEncoding, EveryFieldKindSurvivesARoundTrip)
{
  rmw_dds_test_msgs::msg::AllTypes message;
  message.flag = true;
  message.octet = 0xfe;
  message.letter = 'q';
  message.f32 = -2.25F;
  message.f64 = 1e300;
  message.i8 = -5;
  message.u8 = 250;
  message.i16 = -30000;
  message.u16 = 60000;
  message.i32 = -2000000000;
  message.u32 = 4000000000U;
  message.i64 = -9000000000000000000LL;
  message.u64 = 18000000000000000000ULL;
  message.text = "text with\ttab";
  message.wide = u"\u00fcber";
  message.short_text = "five!";
  message.fixed_ints = {1, -2, 3};
  message.fixed_flags = {false, true};
  message.fixed_texts = {"", "second"};
  message.fixed_nested[0].a = 1;
  message.fixed_nested[0].b = 0.25;
  message.fixed_nested[1].c = "inner";
  message.bounded_shorts.push_back(-1);
  message.bounded_shorts.push_back(2);
  message.flags = {true, true, false, true};
  message.doubles = {0.5, -0.5, 3.0};
  message.texts = {"a", "bc", ""};
  message.wides = {u"x", u""};
  message.nested.resize(3);
  message.nested[2].a = -7;
  message.nested[2].b = 7.5;
  message.nested[2].c = "last";
  message.bounded_nested.resize(1);
  message.bounded_nested[0].c = "only";

  const Bytes sample = rmw_dds::serialize(message);
  rmw_dds_test_msgs::msg::AllTypes decoded;
  // Fill the target first: decoding must replace, not append.
  decoded.flags = {false};
  decoded.nested.resize(5);
  rmw_dds::deserialize(sample, decoded);
  EXPECT_EQ(decoded, message);
}

TEST(CdrEncoding, PlannerResultSurvivesARoundTrip)
{
  velmoran_protocol::action::Planner::Result result;
  result.global_path = zone_goal().goal_poses;
  result.residues_zones = zone_goal().goal_zones;
  result.fuzzy_pose = odom_pose();
  result.index = 3;
  result.success = true;
  result.message = "Task completed";
  result.err_num = 0;
  result.cleaned_area = 12.5F;
  result.is_diff = true;

  velmoran_protocol::action::Planner::Result decoded;
  rmw_dds::deserialize(rmw_dds::serialize(result), decoded);
  EXPECT_EQ(decoded, result);
}

}  // namespace

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

#include "geometry_msgs/msg/pose_stamped.hpp"
#include "rmw_dds/names.hpp"
#include "rmw_dds/request_header.hpp"
#include "std_srvs/srv/set_bool.hpp"
#include "velmoran_protocol/action/planner.hpp"

namespace
{

TEST(DdsNames, MessageTopicAndType)
{
  const auto topic = rmw_dds::dds_topic<geometry_msgs::msg::PoseStamped>("/goal_pose");
  EXPECT_EQ(topic.name, "rt/goal_pose");
  EXPECT_EQ(topic.type, "geometry_msgs::msg::dds_::PoseStamped_");
  EXPECT_EQ(rmw_dds::dds_topic_name("/ns/chatter"), "rt/ns/chatter");
}

void expect_service(
  const rmw_dds::DdsService & service, const char * request_topic, const char * request_type,
  const char * reply_topic, const char * reply_type)
{
  EXPECT_EQ(service.request.name, request_topic);
  EXPECT_EQ(service.request.type, request_type);
  EXPECT_EQ(service.reply.name, reply_topic);
  EXPECT_EQ(service.reply.type, reply_type);
}

TEST(DdsNames, ServiceRequestAndReplyTopics)
{
  expect_service(
    rmw_dds::dds_service<std_srvs::srv::SetBool>("/stop_task"), "rq/stop_taskRequest",
    "std_srvs::srv::dds_::SetBool_Request_", "rr/stop_taskReply",
    "std_srvs::srv::dds_::SetBool_Response_");
}

TEST(DdsNames, EveryPartOfThePlannerAction)
{
  const auto action = rmw_dds::dds_action<velmoran_protocol::action::Planner>("/planner");
  expect_service(
    action.send_goal, "rq/planner/_action/send_goalRequest",
    "velmoran_protocol::action::dds_::Planner_SendGoal_Request_",
    "rr/planner/_action/send_goalReply",
    "velmoran_protocol::action::dds_::Planner_SendGoal_Response_");
  expect_service(
    action.cancel_goal, "rq/planner/_action/cancel_goalRequest",
    "action_msgs::srv::dds_::CancelGoal_Request_", "rr/planner/_action/cancel_goalReply",
    "action_msgs::srv::dds_::CancelGoal_Response_");
  expect_service(
    action.get_result, "rq/planner/_action/get_resultRequest",
    "velmoran_protocol::action::dds_::Planner_GetResult_Request_",
    "rr/planner/_action/get_resultReply",
    "velmoran_protocol::action::dds_::Planner_GetResult_Response_");
  EXPECT_EQ(action.feedback.name, "rt/planner/_action/feedback");
  EXPECT_EQ(action.feedback.type, "velmoran_protocol::action::dds_::Planner_FeedbackMessage_");
  EXPECT_EQ(action.status.name, "rt/planner/_action/status");
  EXPECT_EQ(action.status.type, "action_msgs::msg::dds_::GoalStatusArray_");
}

TEST(DdsNames, TypeNameFromRosTypeNameAgreesWithIntrospection)
{
  EXPECT_EQ(
    rmw_dds::dds_type_name("geometry_msgs/msg/PoseStamped"),
    rmw_dds::dds_type_name(rmw_dds::members_of<geometry_msgs::msg::PoseStamped>()));
  EXPECT_EQ(
    rmw_dds::dds_type_name("velmoran_protocol/action/Planner_FeedbackMessage"),
    "velmoran_protocol::action::dds_::Planner_FeedbackMessage_");
  for (const char * bad :
       {"", "PoseStamped", "geometry_msgs/PoseStamped", "/msg/PoseStamped",
        "geometry_msgs//PoseStamped", "geometry_msgs/msg/", "a/b/c/d"}) {
    EXPECT_THROW(rmw_dds::dds_type_name(std::string(bad)), std::invalid_argument) << bad;
  }
}

TEST(DdsNames, RosTypeNameUndoesTheDdsTypeName)
{
  for (const char * type :
       {"geometry_msgs/msg/PoseStamped", "std_srvs/srv/SetBool_Request",
        "velmoran_protocol/action/Planner_FeedbackMessage"}) {
    EXPECT_EQ(rmw_dds::ros_type_name(rmw_dds::dds_type_name(std::string(type))), type);
  }
  // Types that other DDS applications or the DDS built-in topics use are not ROS types.
  for (const char * other :
       {"", "DDS::ParticipantBuiltinTopicData", "pkg::dds_::Type_", "::msg::dds_::Type_",
        "pkg::msg::dds_::Type", "pkg::msg::dds_::_", "a::pkg::msg::dds_::Type_",
        "pkg::::dds_::Type_"}) {
    EXPECT_EQ(rmw_dds::ros_type_name(other), "") << other;
  }
}

TEST(DdsNames, RequestIdCarriesTheClientInItsFirstEightBytes)
{
  const rmw_dds::RequestHeader header{0x1122334455667788ULL, 42};
  const rmw_request_id_t id = rmw_dds::to_request_id(header);
  uint64_t client = 0;
  std::memcpy(&client, id.writer_guid, sizeof(client));
  EXPECT_EQ(client, header.client);
  for (size_t i = 8; i < sizeof(id.writer_guid); ++i) {
    EXPECT_EQ(id.writer_guid[i], 0) << i;
  }
  EXPECT_EQ(id.sequence_number, 42);
  const auto back = rmw_dds::from_request_id(id);
  EXPECT_EQ(back.client, header.client);
  EXPECT_EQ(back.sequence, header.sequence);
}

TEST(DdsNames, ServerAndClientIdsInUserData)
{
  std::array<uint8_t, 16> participant{};
  for (size_t i = 0; i < participant.size(); ++i) {
    participant[i] = static_cast<uint8_t>(0xa0 + i);
  }
  // The participant's entity id gives way to the serial, most significant byte first.
  EXPECT_EQ(
    rmw_dds::service_user_data(participant, 0x01020304),
    "serviceid=a0.a1.a2.a3.a4.a5.a6.a7.a8.a9.aa.ab.1.2.3.4;");
  EXPECT_EQ(
    rmw_dds::client_user_data(participant, 5),
    "clientid=a0.a1.a2.a3.a4.a5.a6.a7.a8.a9.aa.ab.0.0.0.5;");

  struct Case
  {
    const char * user_data;
    std::optional<std::string> serviceid;
  };
  const Case cases[] = {
    {"serviceid=01.2.3;", "01.2.3"},
    {"enclave=/;serviceid=01.2.3;", "01.2.3"},
    {"serviceid=01.2.3", "01.2.3"},
    {"serviceid=;", ""},
    {"clientid=01.2.3;", std::nullopt},
    {"xserviceid=01.2.3;", std::nullopt},
    {"serviceidx=01.2.3;", std::nullopt},
    {"serviceid", std::nullopt},
    {"", std::nullopt},
  };
  for (const Case & c : cases) {
    EXPECT_EQ(rmw_dds::user_data_value(c.user_data, "serviceid"), c.serviceid) << c.user_data;
  }
}

}  // namespace

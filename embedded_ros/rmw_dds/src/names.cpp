#include "rmw_dds/names.hpp"

#include <stdexcept>
#include <string>

namespace rmw_dds
{
namespace
{
std::string make_type_name(const std::string & name_space, const std::string & name)
{
  return name_space + "::dds_::" + name + "_";
}
}  // namespace

std::string dds_type_name(const MessageMembers & members)
{
  return make_type_name(members.message_namespace_, members.message_name_);
}

std::string dds_type_name(const std::string & ros_type_name)
{
  const size_t first = ros_type_name.find('/');
  const size_t second = first == std::string::npos ? first : ros_type_name.find('/', first + 1);
  if (
    first == 0 || second == std::string::npos || second == first + 1 ||
    second + 1 == ros_type_name.size() ||
    ros_type_name.find('/', second + 1) != std::string::npos) {
    throw std::invalid_argument(
      "'" + ros_type_name + "' is not a ROS type name of the form <package>/<kind>/<Type>");
  }
  return make_type_name(
    ros_type_name.substr(0, first) + "::" + ros_type_name.substr(first + 1, second - first - 1),
    ros_type_name.substr(second + 1));
}

std::string ros_type_name(const std::string & dds_type_name)
{
  static const std::string marker = "::dds_::";
  const size_t kind_end = dds_type_name.rfind(marker);
  const size_t package_end = kind_end == std::string::npos || kind_end == 0
                               ? std::string::npos
                               : dds_type_name.rfind("::", kind_end - 1);
  const size_t type_begin = kind_end + marker.size();
  if (
    package_end == std::string::npos || package_end == 0 || package_end + 2 == kind_end ||
    dds_type_name.size() <= type_begin + 1 || dds_type_name.back() != '_') {
    return std::string();
  }
  const std::string package = dds_type_name.substr(0, package_end);
  const std::string kind = dds_type_name.substr(package_end + 2, kind_end - package_end - 2);
  const std::string type = dds_type_name.substr(type_begin, dds_type_name.size() - type_begin - 1);
  if (package.find("::") != std::string::npos || kind.find("::") != std::string::npos) {
    return std::string();
  }
  return package + "/" + kind + "/" + type;
}

std::string dds_topic_name(const std::string & fully_qualified_topic)
{
  return "rt" + fully_qualified_topic;
}

std::string dds_request_topic_name(const std::string & fully_qualified_service)
{
  return "rq" + fully_qualified_service + "Request";
}

std::string dds_reply_topic_name(const std::string & fully_qualified_service)
{
  return "rr" + fully_qualified_service + "Reply";
}

std::string action_send_goal_service(const std::string & fully_qualified_action)
{
  return fully_qualified_action + "/_action/send_goal";
}

std::string action_cancel_goal_service(const std::string & fully_qualified_action)
{
  return fully_qualified_action + "/_action/cancel_goal";
}

std::string action_get_result_service(const std::string & fully_qualified_action)
{
  return fully_qualified_action + "/_action/get_result";
}

std::string action_feedback_topic(const std::string & fully_qualified_action)
{
  return fully_qualified_action + "/_action/feedback";
}

std::string action_status_topic(const std::string & fully_qualified_action)
{
  return fully_qualified_action + "/_action/status";
}

DdsTopic dds_topic(const std::string & fully_qualified_topic, const MessageMembers & members)
{
  return DdsTopic{dds_topic_name(fully_qualified_topic), dds_type_name(members)};
}

DdsService dds_service(const std::string & fully_qualified_service, const ServiceMembers & members)
{
  return DdsService{
    DdsTopic{
      dds_request_topic_name(fully_qualified_service), dds_type_name(*members.request_members_)},
    DdsTopic{
      dds_reply_topic_name(fully_qualified_service), dds_type_name(*members.response_members_)}};
}

}  // namespace rmw_dds

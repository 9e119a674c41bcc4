#include <gtest/gtest.h>

#include <stdexcept>

#include "rcl_action/action_server.h"
#include "rmw/qos_profiles.h"
#include "rmw_dds/qos.hpp"

namespace
{
using rmw_dds::DdsDurability;
using rmw_dds::DdsHistory;
using rmw_dds::DdsLiveliness;
using rmw_dds::DdsQos;
using rmw_dds::DdsReliability;
using rmw_dds::kDdsInfinity;

bool same_profile(const rmw_qos_profile_t & a, const rmw_qos_profile_t & b)
{
  return a.history == b.history && a.depth == b.depth && a.reliability == b.reliability &&
         a.durability == b.durability && a.liveliness == b.liveliness;
}

TEST(QosMapping, ProfilesMapAsRmwCycloneddsMapsThem)
{
  struct Case
  {
    const char * name;
    rmw_qos_profile_t profile;
    DdsHistory history;
    int32_t depth;
    DdsReliability reliability;
    int64_t max_blocking_time;
    DdsDurability durability;
    bool durability_service;
  };
  const rmw_qos_profile_t keep_all_transient_local = RMW_EMBEDDED_QOS_PROFILE(
    RMW_QOS_POLICY_HISTORY_KEEP_ALL, 3, RMW_QOS_POLICY_RELIABILITY_RELIABLE,
    RMW_QOS_POLICY_DURABILITY_TRANSIENT_LOCAL);
  const Case cases[] = {
    {"default", rmw_qos_profile_default, DdsHistory::KeepLast, 10, DdsReliability::Reliable,
     kDdsInfinity, DdsDurability::Volatile, false},
    {"sensor data", rmw_qos_profile_sensor_data, DdsHistory::KeepLast, 5,
     DdsReliability::BestEffort, 0, DdsDurability::Volatile, false},
    {"system default", rmw_qos_profile_system_default, DdsHistory::KeepLast, 1,
     DdsReliability::Reliable, kDdsInfinity, DdsDurability::Volatile, false},
    {"keep all, transient local", keep_all_transient_local, DdsHistory::KeepAll,
     rmw_dds::kDdsLengthUnlimited, DdsReliability::Reliable, kDdsInfinity,
     DdsDurability::TransientLocal, true},
  };
  for (const auto & c : cases) {
    const DdsQos qos = rmw_dds::to_dds_qos(c.profile);
    EXPECT_EQ(qos.history, c.history) << c.name;
    EXPECT_EQ(qos.history_depth, c.depth) << c.name;
    EXPECT_EQ(qos.reliability, c.reliability) << c.name;
    EXPECT_EQ(qos.reliability_max_blocking_time, c.max_blocking_time) << c.name;
    EXPECT_EQ(qos.durability, c.durability) << c.name;
    EXPECT_EQ(qos.durability_service, c.durability_service) << c.name;
    EXPECT_FALSE(qos.autodispose_unregistered_instances) << c.name;
    EXPECT_FALSE(qos.deadline.has_value()) << c.name;
    EXPECT_FALSE(qos.lifespan.has_value()) << c.name;
    EXPECT_EQ(qos.liveliness, DdsLiveliness::Automatic) << c.name;
    EXPECT_EQ(qos.liveliness_lease_duration, kDdsInfinity) << c.name;
    EXPECT_FALSE(qos.ignore_local_participant) << c.name;
  }
}

TEST(QosMapping, DurationsLivelinessAndLocalIgnoring)
{
  rmw_qos_profile_t profile = rmw_qos_profile_default;
  profile.deadline = {1, 500};
  profile.lifespan = RMW_DURATION_INFINITE;
  profile.liveliness = RMW_QOS_POLICY_LIVELINESS_MANUAL_BY_TOPIC;
  profile.liveliness_lease_duration = {2, 0};
  const DdsQos qos = rmw_dds::to_dds_qos(profile, true);
  EXPECT_EQ(qos.deadline, 1000000500);
  EXPECT_EQ(qos.lifespan, kDdsInfinity);
  EXPECT_EQ(qos.liveliness, DdsLiveliness::ManualByTopic);
  EXPECT_EQ(qos.liveliness_lease_duration, 2000000000);
  EXPECT_TRUE(qos.ignore_local_participant);
}

TEST(QosMapping, UnknownPoliciesAndOversizedDepthsAreRefused)
{
  struct Case
  {
    const char * name;
    void (*spoil)(rmw_qos_profile_t &);
    const char * expected_error;
  };
  const Case cases[] = {
    {"history", [](rmw_qos_profile_t & p) { p.history = RMW_QOS_POLICY_HISTORY_UNKNOWN; },
     "unknown history policy in the QoS profile"},
    {"reliability",
     [](rmw_qos_profile_t & p) { p.reliability = RMW_QOS_POLICY_RELIABILITY_UNKNOWN; },
     "unknown reliability policy in the QoS profile"},
    {"durability", [](rmw_qos_profile_t & p) { p.durability = RMW_QOS_POLICY_DURABILITY_UNKNOWN; },
     "unknown durability policy in the QoS profile"},
    {"liveliness", [](rmw_qos_profile_t & p) { p.liveliness = RMW_QOS_POLICY_LIVELINESS_UNKNOWN; },
     "unknown liveliness policy in the QoS profile"},
    {"depth", [](rmw_qos_profile_t & p) { p.depth = 1ULL << 31; },
     "history depth 2147483648 does not fit a DDS keep-last depth"},
  };
  for (const auto & c : cases) {
    rmw_qos_profile_t profile = rmw_qos_profile_default;
    c.spoil(profile);
    try {
      rmw_dds::to_dds_qos(profile);
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const std::invalid_argument & error) {
      EXPECT_STREQ(error.what(), c.expected_error) << c.name;
    }
  }
}

TEST(QosMapping, ActionDefaultsAreThoseOfRclAction)
{
  const auto profiles = rmw_dds::action_default_qos_profiles();
  const auto server = rcl_action_server_get_default_options();
  EXPECT_TRUE(same_profile(profiles.goal_service, server.goal_service_qos));
  EXPECT_TRUE(same_profile(profiles.cancel_service, server.cancel_service_qos));
  EXPECT_TRUE(same_profile(profiles.result_service, server.result_service_qos));
  EXPECT_TRUE(same_profile(profiles.feedback_topic, server.feedback_topic_qos));
  EXPECT_TRUE(same_profile(profiles.status_topic, server.status_topic_qos));

  const DdsQos status = rmw_dds::to_dds_qos(profiles.status_topic);
  EXPECT_EQ(status.reliability, DdsReliability::Reliable);
  EXPECT_EQ(status.durability, DdsDurability::TransientLocal);
  EXPECT_TRUE(status.durability_service);
  EXPECT_EQ(status.history, DdsHistory::KeepLast);
  EXPECT_EQ(status.history_depth, 1);

  const DdsQos feedback = rmw_dds::to_dds_qos(profiles.feedback_topic);
  EXPECT_EQ(feedback.reliability, DdsReliability::Reliable);
  EXPECT_EQ(feedback.durability, DdsDurability::Volatile);
  EXPECT_EQ(feedback.history_depth, 10);

  const DdsQos goal = rmw_dds::to_dds_qos(profiles.goal_service);
  EXPECT_EQ(goal.reliability, DdsReliability::Reliable);
  EXPECT_EQ(goal.durability, DdsDurability::Volatile);
  EXPECT_EQ(goal.history_depth, 10);
}

}  // namespace

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

/// What rmw_cyclonedds sets for the given kinds: blocking time infinite when reliable, a
/// durability service sized like the history when transient local, everything else its default.
DdsQos mapped(
  DdsHistory history, int32_t depth, DdsReliability reliability, DdsDurability durability)
{
  DdsQos qos;
  qos.history = history;
  qos.history_depth = depth;
  qos.reliability = reliability;
  qos.reliability_max_blocking_time = reliability == DdsReliability::Reliable ? kDdsInfinity : 0;
  qos.durability = durability;
  qos.durability_service = durability == DdsDurability::TransientLocal;
  return qos;
}

TEST(QosMapping, ProfilesMapAsRmwCycloneddsMapsThem)
{
  struct Case
  {
    const char * name;
    rmw_qos_profile_t profile;
    bool ignore_local_publications;
    DdsQos expected;
  };
  const rmw_qos_profile_t keep_all_transient_local = RMW_EMBEDDED_QOS_PROFILE(
    RMW_QOS_POLICY_HISTORY_KEEP_ALL, 3, RMW_QOS_POLICY_RELIABILITY_RELIABLE,
    RMW_QOS_POLICY_DURABILITY_TRANSIENT_LOCAL);
  rmw_qos_profile_t timed = rmw_qos_profile_default;
  timed.deadline = {1, 500};
  timed.lifespan = RMW_DURATION_INFINITE;
  timed.liveliness = RMW_QOS_POLICY_LIVELINESS_MANUAL_BY_TOPIC;
  timed.liveliness_lease_duration = {2, 0};
  DdsQos timed_expected =
    mapped(DdsHistory::KeepLast, 10, DdsReliability::Reliable, DdsDurability::Volatile);
  timed_expected.deadline = 1000000500;
  timed_expected.lifespan = kDdsInfinity;
  timed_expected.liveliness = DdsLiveliness::ManualByTopic;
  timed_expected.liveliness_lease_duration = 2000000000;
  timed_expected.ignore_local_participant = true;
  const auto action = rmw_dds::action_default_qos_profiles();

  const Case cases[] = {
    {"default", rmw_qos_profile_default, false,
     mapped(DdsHistory::KeepLast, 10, DdsReliability::Reliable, DdsDurability::Volatile)},
    {"sensor data", rmw_qos_profile_sensor_data, false,
     mapped(DdsHistory::KeepLast, 5, DdsReliability::BestEffort, DdsDurability::Volatile)},
    {"system default", rmw_qos_profile_system_default, false,
     mapped(DdsHistory::KeepLast, 1, DdsReliability::Reliable, DdsDurability::Volatile)},
    {"keep all, transient local", keep_all_transient_local, false,
     mapped(
       DdsHistory::KeepAll, rmw_dds::kDdsLengthUnlimited, DdsReliability::Reliable,
       DdsDurability::TransientLocal)},
    {"durations, liveliness, ignoring local publications", timed, true, timed_expected},
    {"action status", action.status_topic, false,
     mapped(DdsHistory::KeepLast, 1, DdsReliability::Reliable, DdsDurability::TransientLocal)},
    {"action feedback", action.feedback_topic, false,
     mapped(DdsHistory::KeepLast, 10, DdsReliability::Reliable, DdsDurability::Volatile)},
    {"action goal service", action.goal_service, false,
     mapped(DdsHistory::KeepLast, 10, DdsReliability::Reliable, DdsDurability::Volatile)},
  };
  for (const auto & c : cases) {
    SCOPED_TRACE(c.name);
    const DdsQos qos = rmw_dds::to_dds_qos(c.profile, c.ignore_local_publications);
    const DdsQos & e = c.expected;
    EXPECT_EQ(qos.history, e.history);
    EXPECT_EQ(qos.history_depth, e.history_depth);
    EXPECT_EQ(qos.reliability, e.reliability);
    EXPECT_EQ(qos.reliability_max_blocking_time, e.reliability_max_blocking_time);
    EXPECT_EQ(qos.durability, e.durability);
    EXPECT_EQ(qos.durability_service, e.durability_service);
    EXPECT_EQ(qos.autodispose_unregistered_instances, e.autodispose_unregistered_instances);
    EXPECT_EQ(qos.deadline, e.deadline);
    EXPECT_EQ(qos.lifespan, e.lifespan);
    EXPECT_EQ(qos.liveliness, e.liveliness);
    EXPECT_EQ(qos.liveliness_lease_duration, e.liveliness_lease_duration);
    EXPECT_EQ(qos.ignore_local_participant, e.ignore_local_participant);
    EXPECT_EQ(qos.user_data, e.user_data);
  }
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
}

}  // namespace

#include "rmw_dds/qos.hpp"

#include <stdexcept>
#include <string>

#include "rcl_action/default_qos.h"
#include "rmw/qos_profiles.h"

namespace rmw_dds
{
namespace
{
constexpr uint64_t kNanosecondsPerSecond = 1000000000ULL;

bool is_unspecified(const rmw_time_t & duration) { return duration.sec == 0 && duration.nsec == 0; }

[[noreturn]] void unknown_policy(const char * policy)
{
  throw std::invalid_argument(std::string("unknown ") + policy + " policy in the QoS profile");
}
}  // namespace

int64_t to_dds_duration(const rmw_time_t & duration)
{
  const rmw_time_t infinite = RMW_DURATION_INFINITE;
  if (duration.sec == infinite.sec && duration.nsec == infinite.nsec) {
    return kDdsInfinity;
  }
  const auto max = static_cast<uint64_t>(kDdsInfinity);
  if (duration.sec > max / kNanosecondsPerSecond) {
    return kDdsInfinity;
  }
  const uint64_t seconds = duration.sec * kNanosecondsPerSecond;
  if (duration.nsec > max - seconds) {
    return kDdsInfinity;
  }
  return static_cast<int64_t>(seconds + duration.nsec);
}

DdsQos to_dds_qos(const rmw_qos_profile_t & profile, bool ignore_local_publications)
{
  DdsQos qos;
  switch (profile.history) {
    case RMW_QOS_POLICY_HISTORY_SYSTEM_DEFAULT:
    case RMW_QOS_POLICY_HISTORY_KEEP_LAST:
      qos.history = DdsHistory::KeepLast;
      if (profile.depth == RMW_QOS_POLICY_DEPTH_SYSTEM_DEFAULT) {
        qos.history_depth = 1;
      } else if (profile.depth > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        throw std::invalid_argument(
          "history depth " + std::to_string(profile.depth) + " does not fit a DDS keep-last depth");
      } else {
        qos.history_depth = static_cast<int32_t>(profile.depth);
      }
      break;
    case RMW_QOS_POLICY_HISTORY_KEEP_ALL:
      qos.history = DdsHistory::KeepAll;
      qos.history_depth = kDdsLengthUnlimited;
      break;
    default:
      unknown_policy("history");
  }
  switch (profile.reliability) {
    case RMW_QOS_POLICY_RELIABILITY_SYSTEM_DEFAULT:
    case RMW_QOS_POLICY_RELIABILITY_RELIABLE:
      qos.reliability = DdsReliability::Reliable;
      qos.reliability_max_blocking_time = kDdsInfinity;
      break;
    case RMW_QOS_POLICY_RELIABILITY_BEST_EFFORT:
      qos.reliability = DdsReliability::BestEffort;
      qos.reliability_max_blocking_time = 0;
      break;
    default:
      unknown_policy("reliability");
  }
  switch (profile.durability) {
    case RMW_QOS_POLICY_DURABILITY_SYSTEM_DEFAULT:
    case RMW_QOS_POLICY_DURABILITY_VOLATILE:
      qos.durability = DdsDurability::Volatile;
      break;
    case RMW_QOS_POLICY_DURABILITY_TRANSIENT_LOCAL:
      // Cyclone keeps historical data by the durability service, apart from the history used
      // for reliability; rmw_cyclonedds sizes it like the history.
      qos.durability = DdsDurability::TransientLocal;
      qos.durability_service = true;
      break;
    default:
      unknown_policy("durability");
  }
  if (!is_unspecified(profile.lifespan)) {
    qos.lifespan = to_dds_duration(profile.lifespan);
  }
  if (!is_unspecified(profile.deadline)) {
    qos.deadline = to_dds_duration(profile.deadline);
  }
  qos.liveliness_lease_duration = is_unspecified(profile.liveliness_lease_duration)
                                    ? kDdsInfinity
                                    : to_dds_duration(profile.liveliness_lease_duration);
  switch (profile.liveliness) {
    case RMW_QOS_POLICY_LIVELINESS_SYSTEM_DEFAULT:
    case RMW_QOS_POLICY_LIVELINESS_AUTOMATIC:
      qos.liveliness = DdsLiveliness::Automatic;
      break;
    case RMW_QOS_POLICY_LIVELINESS_MANUAL_BY_TOPIC:
      qos.liveliness = DdsLiveliness::ManualByTopic;
      break;
    default:
      unknown_policy("liveliness");
  }
  qos.ignore_local_participant = ignore_local_publications;
  return qos;
}

ActionQosProfiles action_default_qos_profiles()
{
  return ActionQosProfiles{
    rmw_qos_profile_services_default, rmw_qos_profile_services_default,
    rmw_qos_profile_services_default, rmw_qos_profile_default,
    rcl_action_qos_profile_status_default};
}

}  // namespace rmw_dds

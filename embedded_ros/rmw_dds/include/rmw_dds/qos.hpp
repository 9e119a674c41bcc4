#ifndef RMW_DDS__QOS_HPP_
#define RMW_DDS__QOS_HPP_

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "rmw/types.h"

namespace rmw_dds
{

/// Cyclone's DDS_INFINITY and DDS_LENGTH_UNLIMITED.
constexpr int64_t kDdsInfinity = std::numeric_limits<int64_t>::max();
constexpr int32_t kDdsLengthUnlimited = -1;

enum class DdsReliability { BestEffort, Reliable };
enum class DdsDurability { Volatile, TransientLocal };
enum class DdsHistory { KeepLast, KeepAll };
enum class DdsLiveliness { Automatic, ManualByTopic };

/// The DDS QoS of a reader or writer, as rmw_cyclonedds_cpp builds it from a ROS profile
/// (its create_readwrite_qos): the values to hand to dds_qset_* once Cyclone is linked.
/// Durations are in nanoseconds.
struct DdsQos
{
  /// dds_qset_writer_data_lifecycle: rmw_cyclonedds never disposes on unregister.
  bool autodispose_unregistered_instances = false;
  DdsHistory history = DdsHistory::KeepLast;
  /// Keep-last depth, or kDdsLengthUnlimited with keep-all.
  int32_t history_depth = 1;
  DdsReliability reliability = DdsReliability::Reliable;
  /// kDdsInfinity for reliable, 0 for best effort.
  int64_t reliability_max_blocking_time = kDdsInfinity;
  DdsDurability durability = DdsDurability::Volatile;
  /// Transient local only: dds_qset_durability_service with cleanup delay 0, the same history
  /// kind and depth as above, and unlimited resource limits.
  bool durability_service = false;
  std::optional<int64_t> lifespan;
  std::optional<int64_t> deadline;
  DdsLiveliness liveliness = DdsLiveliness::Automatic;
  int64_t liveliness_lease_duration = kDdsInfinity;
  /// dds_qset_ignorelocal(DDS_IGNORELOCAL_PARTICIPANT), for subscriptions that ignore local
  /// publications.
  bool ignore_local_participant = false;
  /// dds_qset_userdata when not empty (a service's or client's pairing id).
  std::string user_data;
};

/// Maps a ROS profile; system-default policies become what rmw_cyclonedds picks for them
/// (keep last 1, reliable, volatile, automatic liveliness). Throws std::invalid_argument naming
/// the policy for an unknown policy or a keep-last depth beyond INT32_MAX.
DdsQos to_dds_qos(const rmw_qos_profile_t & profile, bool ignore_local_publications = false);

/// Nanoseconds of a ROS duration; RMW_DURATION_INFINITE becomes kDdsInfinity.
int64_t to_dds_duration(const rmw_time_t & duration);

/// The ROS profiles rcl_action gives the parts of an action by default.
struct ActionQosProfiles
{
  rmw_qos_profile_t goal_service;
  rmw_qos_profile_t cancel_service;
  rmw_qos_profile_t result_service;
  /// Reliable, volatile, keep last 10.
  rmw_qos_profile_t feedback_topic;
  /// Reliable, transient local, keep last 1: a late client still learns every goal's status.
  rmw_qos_profile_t status_topic;
};

ActionQosProfiles action_default_qos_profiles();

}  // namespace rmw_dds

#endif  // RMW_DDS__QOS_HPP_

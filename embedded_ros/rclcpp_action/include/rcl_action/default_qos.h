// QoS of the goal status topic of actions.
#ifndef RCL_ACTION__DEFAULT_QOS_H_
#define RCL_ACTION__DEFAULT_QOS_H_

#include "rmw/types.h"

#ifdef __cplusplus
extern "C" {
#endif

/// Keep last 1, reliable, transient local: a late client still learns every goal's status.
static const rmw_qos_profile_t rcl_action_qos_profile_status_default = {
  RMW_QOS_POLICY_HISTORY_KEEP_LAST,
  1,
  RMW_QOS_POLICY_RELIABILITY_RELIABLE,
  RMW_QOS_POLICY_DURABILITY_TRANSIENT_LOCAL,
  RMW_DURATION_UNSPECIFIED,
  RMW_DURATION_UNSPECIFIED,
  RMW_QOS_POLICY_LIVELINESS_SYSTEM_DEFAULT,
  RMW_DURATION_UNSPECIFIED,
  false};

#ifdef __cplusplus
}
#endif

#endif  // RCL_ACTION__DEFAULT_QOS_H_

// Options of an action server, as rcl_action defines them.
#ifndef RCL_ACTION__ACTION_SERVER_H_
#define RCL_ACTION__ACTION_SERVER_H_

#include "rcl/time.h"
#include "rcl_action/default_qos.h"
#include "rmw/types.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct rcl_action_server_options_s
{
  rmw_qos_profile_t goal_service_qos;
  rmw_qos_profile_t cancel_service_qos;
  rmw_qos_profile_t result_service_qos;
  rmw_qos_profile_t feedback_topic_qos;
  rmw_qos_profile_t status_topic_qos;
  /// How long a finished goal's result stays available to result requests.
  rcl_duration_t result_timeout;
} rcl_action_server_options_t;

/// Services: services default QoS; feedback: default QoS; status: transient local depth 1;
/// result time-out: 15 minutes.
rcl_action_server_options_t rcl_action_server_get_default_options(void);

#ifdef __cplusplus
}
#endif

#endif  // RCL_ACTION__ACTION_SERVER_H_

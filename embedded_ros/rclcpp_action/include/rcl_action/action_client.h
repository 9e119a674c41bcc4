// Options of an action client, as rcl_action defines them.
#ifndef RCL_ACTION__ACTION_CLIENT_H_
#define RCL_ACTION__ACTION_CLIENT_H_

#include "rcl_action/default_qos.h"
#include "rmw/types.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct rcl_action_client_options_s
{
  rmw_qos_profile_t goal_service_qos;
  rmw_qos_profile_t result_service_qos;
  rmw_qos_profile_t cancel_service_qos;
  rmw_qos_profile_t feedback_topic_qos;
  rmw_qos_profile_t status_topic_qos;
} rcl_action_client_options_t;

/// Services: services default QoS; feedback: default QoS; status: transient local depth 1.
rcl_action_client_options_t rcl_action_client_get_default_options(void);

#ifdef __cplusplus
}
#endif

#endif  // RCL_ACTION__ACTION_CLIENT_H_

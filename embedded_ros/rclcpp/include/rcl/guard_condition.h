#ifndef RCL__GUARD_CONDITION_H_
#define RCL__GUARD_CONDITION_H_

#ifdef __cplusplus
extern "C" {
#endif

typedef struct rcl_guard_condition_impl_s rcl_guard_condition_impl_t;

/// A condition that wakes the wait sets it is in when triggered. Created and owned by
/// rclcpp::GuardCondition (get_rcl_guard_condition()).
typedef struct rcl_guard_condition_s
{
  rcl_guard_condition_impl_t * impl;
} rcl_guard_condition_t;

#ifdef __cplusplus
}
#endif

#endif  // RCL__GUARD_CONDITION_H_

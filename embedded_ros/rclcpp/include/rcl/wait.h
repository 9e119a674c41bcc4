#ifndef RCL__WAIT_H_
#define RCL__WAIT_H_

#include <stddef.h>

#include "rcl/guard_condition.h"
#include "rcl/types.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct rcl_wait_set_impl_s rcl_wait_set_impl_t;

/// The wait set an executor hands to its waitables (Waitable::add_to_wait_set, is_ready).
///
/// Only guard conditions can be waited on here: the other entities of this rclcpp wake their
/// executor without rcl. After a wait, `guard_conditions[i]` is still set for the guard
/// conditions that were triggered and NULL for the others, as rcl_wait leaves it.
typedef struct rcl_wait_set_s
{
  const rcl_guard_condition_t ** guard_conditions;
  size_t size_of_guard_conditions;
  rcl_wait_set_impl_t * impl;
} rcl_wait_set_t;

/// Stores the guard condition in the next free slot and, when `index` is not NULL, the slot's
/// index in `*index`. RCL_RET_INVALID_ARGUMENT for a NULL argument, RCL_RET_WAIT_SET_INVALID for
/// a wait set that was not initialised, RCL_RET_WAIT_SET_FULL when all slots are taken (the
/// executor sizes the wait set by the waitables' get_number_of_ready_guard_conditions()).
rcl_ret_t rcl_wait_set_add_guard_condition(
  rcl_wait_set_t * wait_set, const rcl_guard_condition_t * guard_condition, size_t * index);

#ifdef __cplusplus
}
#endif

#endif  // RCL__WAIT_H_

#ifndef RCUTILS__TIME_H_
#define RCUTILS__TIME_H_

#include <stdint.h>

#include "rcutils/types/rcutils_ret.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef int64_t rcutils_time_point_value_t;
typedef int64_t rcutils_duration_value_t;

rcutils_ret_t rcutils_system_time_now(rcutils_time_point_value_t * now);
rcutils_ret_t rcutils_steady_time_now(rcutils_time_point_value_t * now);

#ifdef __cplusplus
}
#endif

#endif  // RCUTILS__TIME_H_

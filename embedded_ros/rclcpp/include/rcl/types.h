#ifndef RCL__TYPES_H_
#define RCL__TYPES_H_

#ifdef __cplusplus
extern "C" {
#endif

typedef int rcl_ret_t;

#define RCL_RET_OK 0
#define RCL_RET_ERROR 1
#define RCL_RET_TIMEOUT 2
#define RCL_RET_INVALID_ARGUMENT 11
#define RCL_RET_NOT_INIT 101
#define RCL_RET_NODE_INVALID 200
#define RCL_RET_WAIT_SET_INVALID 900
#define RCL_RET_WAIT_SET_EMPTY 901
#define RCL_RET_WAIT_SET_FULL 902

#ifdef __cplusplus
}
#endif

#endif  // RCL__TYPES_H_

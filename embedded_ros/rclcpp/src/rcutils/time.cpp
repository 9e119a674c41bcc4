#include "rcutils/time.h"

#include <chrono>

namespace
{

template <typename ClockT>
rcutils_ret_t now_of(rcutils_time_point_value_t * now)
{
  if (now == nullptr) {
    return RCUTILS_RET_INVALID_ARGUMENT;
  }
  *now =
    std::chrono::duration_cast<std::chrono::nanoseconds>(ClockT::now().time_since_epoch()).count();
  return RCUTILS_RET_OK;
}

}  // namespace

extern "C" rcutils_ret_t rcutils_system_time_now(rcutils_time_point_value_t * now)
{
  return now_of<std::chrono::system_clock>(now);
}

extern "C" rcutils_ret_t rcutils_steady_time_now(rcutils_time_point_value_t * now)
{
  return now_of<std::chrono::steady_clock>(now);
}

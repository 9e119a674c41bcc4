// Time types of tf2 as ROS 2 defines them: std::chrono on the system clock, zero
// meaning "the latest available data".
#ifndef TF2__TIME_H_
#define TF2__TIME_H_

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tf2
{
using Duration = std::chrono::nanoseconds;
using TimePoint = std::chrono::time_point<std::chrono::system_clock, Duration>;
using IDuration = std::chrono::duration<int, std::nano>;

static const TimePoint TimePointZero = TimePoint(IDuration::zero());

inline TimePoint get_now()
{
  return std::chrono::time_point_cast<Duration>(std::chrono::system_clock::now());
}

inline Duration durationFromSec(double t_sec)
{
  auto sec = static_cast<int64_t>(std::floor(t_sec));
  auto nsec = static_cast<int64_t>(std::round((t_sec - static_cast<double>(sec)) * 1e9));
  sec += nsec / 1000000000;
  nsec %= 1000000000;
  return std::chrono::seconds(sec) + std::chrono::nanoseconds(nsec);
}

inline TimePoint timeFromSec(double t_sec) { return TimePoint(durationFromSec(t_sec)); }

inline double durationToSec(const Duration & input)
{
  const int64_t count = input.count();
  const int64_t nsec = count % 1000000000;
  const int64_t sec = (count - nsec) / 1000000000;
  return static_cast<double>(sec) + 1e-9 * static_cast<double>(nsec);
}

inline double timeToSec(const TimePoint & timepoint)
{
  return durationToSec(timepoint.time_since_epoch());
}

inline std::string displayTimePoint(const TimePoint & stamp)
{
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%.6f", timeToSec(stamp));
  return buffer;
}

}  // namespace tf2

#endif  // TF2__TIME_H_

#ifndef RMW_DDS__CDR_ERROR_HPP_
#define RMW_DDS__CDR_ERROR_HPP_

#include <stdexcept>
#include <string>

namespace rmw_dds
{

/// A sample that cannot be decoded: the text names what was wrong and where, for the caller to
/// log with the topic it came from.
class CdrError : public std::runtime_error
{
public:
  explicit CdrError(const std::string & what) : std::runtime_error(what) {}
};

}  // namespace rmw_dds

#endif  // RMW_DDS__CDR_ERROR_HPP_

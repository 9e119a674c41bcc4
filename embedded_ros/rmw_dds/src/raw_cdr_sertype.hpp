#ifndef RMW_DDS__RAW_CDR_SERTYPE_HPP_
#define RMW_DDS__RAW_CDR_SERTYPE_HPP_

#include <cstdint>
#include <string>
#include <vector>

struct ddsi_sertype;

namespace rmw_dds
{
namespace detail
{

/// What dds_write takes and dds_take fills for a raw CDR topic: one whole sample.
struct RawCdrSample
{
  std::vector<uint8_t> bytes;
};

/// A Cyclone sertype whose serialised form is the sample's bytes as they are: the CDR encoding
/// is done by the introspection serialiser, Cyclone only carries it. Keyless, XCDR1.
ddsi_sertype * make_raw_cdr_sertype(const std::string & type_name);

}  // namespace detail
}  // namespace rmw_dds

#endif  // RMW_DDS__RAW_CDR_SERTYPE_HPP_

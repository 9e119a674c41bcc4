#ifndef RMW_DDS__HOST_ORDER_HPP_
#define RMW_DDS__HOST_ORDER_HPP_

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace rmw_dds
{
namespace detail
{

constexpr bool kHostLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

/// The value of `size` bytes stored in host order at `source`.
inline uint64_t load_host(const void * source, size_t size)
{
  switch (size) {
    case 1: {
      uint8_t v;
      std::memcpy(&v, source, 1);
      return v;
    }
    case 2: {
      uint16_t v;
      std::memcpy(&v, source, 2);
      return v;
    }
    case 4: {
      uint32_t v;
      std::memcpy(&v, source, 4);
      return v;
    }
    default: {
      uint64_t v;
      std::memcpy(&v, source, 8);
      return v;
    }
  }
}

/// Stores the low `size` bytes of `value` in host order at `target`.
inline void store_host(void * target, uint64_t value, size_t size)
{
  switch (size) {
    case 1: {
      auto v = static_cast<uint8_t>(value);
      std::memcpy(target, &v, 1);
      break;
    }
    case 2: {
      auto v = static_cast<uint16_t>(value);
      std::memcpy(target, &v, 2);
      break;
    }
    case 4: {
      auto v = static_cast<uint32_t>(value);
      std::memcpy(target, &v, 4);
      break;
    }
    default:
      std::memcpy(target, &value, 8);
      break;
  }
}

}  // namespace detail
}  // namespace rmw_dds

#endif  // RMW_DDS__HOST_ORDER_HPP_

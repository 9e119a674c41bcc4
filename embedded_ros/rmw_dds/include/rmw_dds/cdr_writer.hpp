#ifndef RMW_DDS__CDR_WRITER_HPP_
#define RMW_DDS__CDR_WRITER_HPP_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rmw_dds
{

/// Writes one sample in plain little-endian CDR (XCDR1), as Cyclone DDS and rmw_cyclonedds_cpp
/// put it on the wire: the 4-byte encapsulation header {0x00, 0x01, 0x00, 0x00}, then the data.
/// Every value is aligned to its own size (at most 8) counted from the first byte after the
/// header; padding bytes are zero.
class CdrWriter
{
public:
  CdrWriter();

  void write_bool(bool value);
  void write_u8(uint8_t value);
  void write_u16(uint16_t value);
  void write_u32(uint32_t value);
  void write_u64(uint64_t value);
  void write_f32(float value);
  void write_f64(double value);

  /// `count` little-endian values of `size` bytes (1, 2, 4 or 8) stored contiguously in host
  /// order at `values`, aligned as one value of that size.
  void write_array(const void * values, size_t count, size_t size);

  /// Length including the terminating NUL (as uint32), the bytes, then the NUL.
  void write_string(const std::string & value);
  /// Length in characters (as uint32), then each UTF-16 unit widened to 4 bytes and no
  /// terminator: Cyclone's layout of a wide string, sizeof(wchar_t) per character.
  void write_wstring(const std::u16string & value);

  /// Sequence length, as uint32.
  void write_length(size_t length);

  void align(size_t size);
  /// Offset from the first byte after the encapsulation header.
  size_t offset() const { return buffer_.size() - kHeaderSize; }

  const std::vector<uint8_t> & data() const { return buffer_; }
  std::vector<uint8_t> take() { return std::move(buffer_); }

  static constexpr size_t kHeaderSize = 4;

private:
  void put(uint64_t value, size_t size);

  std::vector<uint8_t> buffer_;
};

}  // namespace rmw_dds

#endif  // RMW_DDS__CDR_WRITER_HPP_

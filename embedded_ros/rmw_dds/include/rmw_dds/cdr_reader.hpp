#ifndef RMW_DDS__CDR_READER_HPP_
#define RMW_DDS__CDR_READER_HPP_

#include <cstddef>
#include <cstdint>
#include <string>

namespace rmw_dds
{

/// Reads one plain CDR (XCDR1) sample that came from the wire. The constructor checks the
/// encapsulation header: little-endian (0x0001) and big-endian (0x0000) plain CDR are accepted,
/// anything else is refused. Every read is checked against the end of the sample; a sample that
/// is too short, a string without its terminator or a length that cannot fit throws CdrError.
/// Bytes after the last value (Cyclone pads samples to a multiple of 4) are ignored.
class CdrReader
{
public:
  CdrReader(const uint8_t * data, size_t size);

  bool read_bool();
  uint8_t read_u8();
  uint16_t read_u16();
  uint32_t read_u32();
  uint64_t read_u64();
  float read_f32();
  double read_f64();

  /// `count` values of `size` bytes (1, 2, 4 or 8) into `values`, in host order.
  void read_array(void * values, size_t count, size_t size, const char * what);

  std::string read_string(const char * what);
  std::u16string read_wstring(const char * what);

  /// A sequence length whose elements take at least `min_element_size` bytes each; refuses a
  /// length that the rest of the sample cannot hold.
  uint32_t read_length(size_t min_element_size, const char * what);

  void align(size_t size);
  /// Offset from the first byte after the encapsulation header.
  size_t offset() const { return position_; }
  size_t remaining() const { return size_ - position_; }
  bool big_endian() const { return swap_; }

private:
  uint64_t get(size_t size, const char * what);
  void require(size_t bytes, const char * what) const;
  [[noreturn]] void fail(const std::string & problem) const;

  const uint8_t * data_;  // first byte after the encapsulation header
  size_t size_;
  size_t position_ = 0;
  bool swap_ = false;
};

}  // namespace rmw_dds

#endif  // RMW_DDS__CDR_READER_HPP_

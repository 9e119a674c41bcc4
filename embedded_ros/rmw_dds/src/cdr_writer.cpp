#include "rmw_dds/cdr_writer.hpp"

#include <cstring>
#include <limits>
#include <stdexcept>

#include "host_order.hpp"

namespace rmw_dds
{

CdrWriter::CdrWriter() : buffer_{0x00, 0x01, 0x00, 0x00} {}

void CdrWriter::align(size_t size)
{
  const size_t misalignment = offset() % size;
  if (misalignment != 0) {
    buffer_.resize(buffer_.size() + size - misalignment, 0);
  }
}

void CdrWriter::put(uint64_t value, size_t size)
{
  align(size);
  for (size_t i = 0; i < size; ++i) {
    buffer_.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }
}

void CdrWriter::write_bool(bool value) { put(value ? 1 : 0, 1); }
void CdrWriter::write_u8(uint8_t value) { put(value, 1); }
void CdrWriter::write_u16(uint16_t value) { put(value, 2); }
void CdrWriter::write_u32(uint32_t value) { put(value, 4); }
void CdrWriter::write_u64(uint64_t value) { put(value, 8); }

void CdrWriter::write_f32(float value)
{
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  put(bits, 4);
}

void CdrWriter::write_f64(double value)
{
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  put(bits, 8);
}

void CdrWriter::write_array(const void * values, size_t count, size_t size)
{
  if (count == 0) {
    return;
  }
  align(size);
  const auto * bytes = static_cast<const uint8_t *>(values);
  if (detail::kHostLittleEndian) {
    buffer_.insert(buffer_.end(), bytes, bytes + count * size);
    return;
  }
  for (size_t i = 0; i < count; ++i) {
    put(detail::load_host(bytes + i * size, size), size);
  }
}

void CdrWriter::write_length(size_t length)
{
  if (length > std::numeric_limits<uint32_t>::max()) {
    throw std::length_error("a CDR length must fit in 32 bits");
  }
  write_u32(static_cast<uint32_t>(length));
}

void CdrWriter::write_string(const std::string & value)
{
  write_length(value.size() + 1);
  buffer_.insert(buffer_.end(), value.begin(), value.end());
  buffer_.push_back(0);
}

void CdrWriter::write_wstring(const std::u16string & value)
{
  write_length(value.size());
  for (char16_t unit : value) {
    put(static_cast<uint32_t>(unit), 4);
  }
}

}  // namespace rmw_dds

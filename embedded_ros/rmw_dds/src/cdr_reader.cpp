#include "rmw_dds/cdr_reader.hpp"

#include <cstring>
#include <string>

#include "host_order.hpp"
#include "rmw_dds/cdr_error.hpp"

namespace rmw_dds
{
namespace
{
constexpr size_t kHeaderSize = 4;

std::string hex_byte(uint8_t value)
{
  static const char digits[] = "0123456789abcdef";
  return std::string{'0', 'x', digits[value >> 4], digits[value & 0xf]};
}
}  // namespace

CdrReader::CdrReader(const uint8_t * data, size_t size)
{
  if (data == nullptr || size < kHeaderSize) {
    throw CdrError(
      "sample of " + std::to_string(data == nullptr ? 0 : size) +
      " bytes is shorter than the 4-byte encapsulation header");
  }
  // Byte 0 is 0 for the plain CDR and PL_CDR families; byte 1 picks the kind and the order.
  if (data[0] != 0x00 || (data[1] != 0x00 && data[1] != 0x01)) {
    throw CdrError(
      "unknown encapsulation " + hex_byte(data[0]) + " " + hex_byte(data[1]) +
      ": only plain CDR (0x00 0x00 or 0x00 0x01) is supported");
  }
  swap_ = data[1] == 0x00;
  data_ = data + kHeaderSize;
  size_ = size - kHeaderSize;
}

void CdrReader::fail(const std::string & problem) const
{
  throw CdrError(problem + " at byte " + std::to_string(position_ + kHeaderSize));
}

void CdrReader::require(size_t bytes, const char * what) const
{
  if (bytes > size_ - position_) {
    fail(
      std::string("truncated sample: ") + what + " needs " + std::to_string(bytes) + " bytes, " +
      std::to_string(size_ - position_) + " left");
  }
}

void CdrReader::align(size_t size)
{
  const size_t misalignment = position_ % size;
  if (misalignment != 0) {
    const size_t padding = size - misalignment;
    require(padding, "padding");
    position_ += padding;
  }
}

uint64_t CdrReader::get(size_t size, const char * what)
{
  align(size);
  require(size, what);
  uint64_t value = 0;
  for (size_t i = 0; i < size; ++i) {
    const size_t shift = swap_ ? 8 * (size - 1 - i) : 8 * i;
    value |= static_cast<uint64_t>(data_[position_ + i]) << shift;
  }
  position_ += size;
  return value;
}

bool CdrReader::read_bool() { return get(1, "a bool") != 0; }
uint8_t CdrReader::read_u8() { return static_cast<uint8_t>(get(1, "an 8-bit value")); }
uint16_t CdrReader::read_u16() { return static_cast<uint16_t>(get(2, "a 16-bit value")); }
uint32_t CdrReader::read_u32() { return static_cast<uint32_t>(get(4, "a 32-bit value")); }
uint64_t CdrReader::read_u64() { return get(8, "a 64-bit value"); }

float CdrReader::read_f32()
{
  const auto bits = static_cast<uint32_t>(get(4, "a float32"));
  float value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

double CdrReader::read_f64()
{
  const uint64_t bits = get(8, "a float64");
  double value;
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

void CdrReader::read_array(void * values, size_t count, size_t size, const char * what)
{
  if (count == 0) {
    return;
  }
  align(size);
  if (count > (size_ - position_) / size) {
    const std::string needed =
      count == 1 ? std::to_string(size) : std::to_string(count) + " x " + std::to_string(size);
    fail(
      std::string("truncated sample: ") + what + " needs " + needed + " bytes, " +
      std::to_string(size_ - position_) + " left");
  }
  auto * target = static_cast<uint8_t *>(values);
  if (swap_ == !detail::kHostLittleEndian) {
    std::memcpy(target, data_ + position_, count * size);
    position_ += count * size;
    return;
  }
  for (size_t i = 0; i < count; ++i) {
    detail::store_host(target + i * size, get(size, what), size);
  }
}

uint32_t CdrReader::read_length(size_t min_element_size, const char * what)
{
  const auto length = static_cast<uint32_t>(get(4, what));
  const size_t element_size = min_element_size == 0 ? 1 : min_element_size;
  const size_t left = size_ - position_;
  if (length > left / element_size) {
    position_ -= 4;
    fail(
      std::string(what) + " " + std::to_string(length) + " (x " + std::to_string(element_size) +
      " bytes) does not fit the " + std::to_string(left) + " bytes left");
  }
  return length;
}

std::string CdrReader::read_string(const char * what)
{
  const uint32_t length = read_length(1, "string length");
  if (length == 0) {
    // Not what a conforming writer sends, but Cyclone reads it as an empty string too.
    return std::string();
  }
  const auto * begin = reinterpret_cast<const char *>(data_ + position_);
  if (begin[length - 1] != '\0') {
    fail(std::string(what) + " of " + std::to_string(length) + " bytes has no NUL terminator");
  }
  std::string value(begin, length - 1);
  position_ += length;
  return value;
}

std::u16string CdrReader::read_wstring(const char * what)
{
  const uint32_t length = read_length(4, "wstring length");
  std::u16string value;
  value.reserve(length);
  for (uint32_t i = 0; i < length; ++i) {
    const auto unit = static_cast<uint32_t>(get(4, what));
    if (unit > 0xffff) {
      fail(std::string(what) + " holds a character beyond UTF-16");
    }
    value.push_back(static_cast<char16_t>(unit));
  }
  return value;
}

}  // namespace rmw_dds

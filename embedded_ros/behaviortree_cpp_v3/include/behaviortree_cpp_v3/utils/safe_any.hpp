#ifndef BEHAVIORTREE_CPP_V3_UTILS_SAFE_ANY_HPP
#define BEHAVIORTREE_CPP_V3_UTILS_SAFE_ANY_HPP

#include <any>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <typeinfo>

#include "behaviortree_cpp_v3/utils/convert_impl.hpp"
#include "behaviortree_cpp_v3/utils/demangle_util.h"
#include "behaviortree_cpp_v3/utils/expected.hpp"
#include "behaviortree_cpp_v3/utils/strcat.hpp"

namespace BT
{
/// Type-erased value. Numbers are kept as int64_t, uint64_t or double and can
/// be read back as any arithmetic type that holds them without loss; every
/// other type is read back only as itself.
class Any
{
  template <typename T>
  using EnableIntegral = std::enable_if_t<std::is_integral_v<T> || std::is_enum_v<T>> *;

  template <typename T>
  using EnableNonIntegral = std::enable_if_t<!std::is_integral_v<T> && !std::is_enum_v<T>> *;

public:
  Any() = default;
  Any(const Any & other) = default;
  Any(Any && other) noexcept = default;
  Any & operator=(const Any & other) = default;
  Any & operator=(Any && other) noexcept = default;
  ~Any() = default;

  explicit Any(const double & value) : value_(value), original_type_(&typeid(double)) {}

  explicit Any(const float & value) : value_(double(value)), original_type_(&typeid(float)) {}

  explicit Any(const uint64_t & value) : value_(value), original_type_(&typeid(uint64_t)) {}

  explicit Any(const std::string & text) : value_(text), original_type_(&typeid(std::string)) {}

  explicit Any(const char * text) : value_(std::string(text)), original_type_(&typeid(std::string))
  {
  }

  /// Integers, booleans and enumerations.
  template <typename T>
  explicit Any(const T & value, EnableIntegral<T> = nullptr) : original_type_(&typeid(T))
  {
    if constexpr (std::is_unsigned_v<T> && sizeof(T) == sizeof(uint64_t)) {
      value_ = static_cast<uint64_t>(value);
    } else {
      value_ = static_cast<int64_t>(value);
    }
  }

  template <typename T>
  explicit Any(const T & value, EnableNonIntegral<T> = nullptr)
  : value_(value), original_type_(&typeid(T))
  {
    static_assert(!std::is_reference_v<T>, "Any can not contain references");
  }

  bool isNumber() const
  {
    const auto & stored = value_.type();
    return stored == typeid(int64_t) || stored == typeid(uint64_t) || stored == typeid(double);
  }

  bool isString() const { return value_.type() == typeid(std::string); }

  /// Unlike a plain any_cast, converts between arithmetic types when no
  /// information is lost, and numbers to text. Throws std::runtime_error.
  template <typename T>
  T cast() const
  {
    static_assert(
      !std::is_reference_v<T>, "Any::cast uses value semantic, can not cast to reference");
    if (empty()) {
      throw std::runtime_error("Any::cast failed because it is empty");
    }
    if (value_.type() == typeid(T)) {
      return std::any_cast<T>(value_);
    }
    auto converted = convert<T>();
    if (!converted) {
      throw std::runtime_error(converted.error());
    }
    return std::move(converted).value();
  }

  /// The type the value was stored with.
  const std::type_info & type() const noexcept
  {
    return original_type_ != nullptr ? *original_type_ : typeid(void);
  }

  /// The type the value is kept as (int64_t for an int, for instance).
  const std::type_info & castedType() const noexcept { return value_.type(); }

  bool empty() const noexcept { return !value_.has_value(); }

private:
  template <typename DST>
  nonstd::expected<DST, std::string> convert() const
  {
    using SafeAny::details::convertNumber;
    const auto & stored = value_.type();
    if constexpr (std::is_same_v<DST, std::string>) {
      if (stored == typeid(int64_t)) {
        return std::to_string(std::any_cast<int64_t>(value_));
      }
      if (stored == typeid(uint64_t)) {
        return std::to_string(std::any_cast<uint64_t>(value_));
      }
      if (stored == typeid(double)) {
        return std::to_string(std::any_cast<double>(value_));
      }
    } else if constexpr (std::is_arithmetic_v<DST>) {
      DST out{};
      if (stored == typeid(int64_t)) {
        convertNumber(std::any_cast<int64_t>(value_), out);
        return out;
      }
      if (stored == typeid(uint64_t)) {
        convertNumber(std::any_cast<uint64_t>(value_), out);
        return out;
      }
      if (stored == typeid(double)) {
        convertNumber(std::any_cast<double>(value_), out);
        return out;
      }
    } else if constexpr (std::is_enum_v<DST>) {
      if (stored == typeid(int64_t)) {
        return static_cast<DST>(std::any_cast<int64_t>(value_));
      }
      if (stored == typeid(uint64_t)) {
        return static_cast<DST>(std::any_cast<uint64_t>(value_));
      }
    }
    return nonstd::make_unexpected(StrCat(
      "[Any::convert]: no known safe conversion between [", demangle(stored), "] and [",
      demangle(typeid(DST)), "]"));
  }

  std::any value_;
  const std::type_info * original_type_ = nullptr;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_UTILS_SAFE_ANY_HPP

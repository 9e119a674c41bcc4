#ifndef BEHAVIORTREE_CPP_V3_UTILS_CONVERT_IMPL_HPP
#define BEHAVIORTREE_CPP_V3_UTILS_CONVERT_IMPL_HPP

#include <cmath>
#include <limits>
#include <stdexcept>
#include <type_traits>

// Numeric conversions that refuse to lose information: a value that does not
// fit, or a fractional part that would be dropped, raises std::runtime_error.
namespace SafeAny
{
namespace details
{
template <typename T>
constexpr bool is_integer = std::is_integral_v<T> && !std::is_same_v<T, bool>;

// 2^(digits of T): the first integer above the range of an integer type T,
// exactly representable as a floating point number.
template <typename Integer, typename Real>
constexpr Real integerUpperBound()
{
  Real bound = 1;
  for (int i = 0; i < std::numeric_limits<Integer>::digits; ++i) {
    bound *= 2;
  }
  return bound;
}

[[noreturn]] inline void throwTooLarge() { throw std::runtime_error("Value too large."); }

[[noreturn]] inline void throwTooSmall() { throw std::runtime_error("Value too small."); }

[[noreturn]] inline void throwNegative()
{
  throw std::runtime_error("Value is negative and can't be converted to signed");
}

[[noreturn]] inline void throwTruncated() { throw std::runtime_error("Floating point truncated"); }

template <typename SRC, typename DST>
void convertInteger(const SRC & from, DST & target)
{
  if constexpr (std::is_signed_v<SRC> && !std::is_signed_v<DST>) {
    if (from < 0) {
      throwNegative();
    }
  }
  if constexpr (std::is_signed_v<SRC> && std::is_signed_v<DST>) {
    if (from < static_cast<SRC>(std::numeric_limits<DST>::min()) && sizeof(DST) < sizeof(SRC)) {
      throwTooSmall();
    }
  }
  using Common = std::common_type_t<std::make_unsigned_t<SRC>, std::make_unsigned_t<DST>>;
  if (
    from > 0 && static_cast<Common>(from) > static_cast<Common>(std::numeric_limits<DST>::max())) {
    throwTooLarge();
  }
  target = static_cast<DST>(from);
}

template <typename SRC, typename DST>
void convertRealToInteger(const SRC & from, DST & target)
{
  if (std::isnan(from)) {
    throwTruncated();
  }
  if constexpr (!std::is_signed_v<DST>) {
    if (from < 0) {
      throwNegative();
    }
  } else {
    if (from < -integerUpperBound<DST, SRC>()) {
      throwTooSmall();
    }
  }
  if (from >= integerUpperBound<DST, SRC>()) {
    throwTooLarge();
  }
  if (from != static_cast<SRC>(static_cast<DST>(from))) {
    throwTruncated();
  }
  target = static_cast<DST>(from);
}

template <typename SRC, typename DST>
void convertIntegerToReal(const SRC & from, DST & target)
{
  const DST converted = static_cast<DST>(from);
  const bool out_of_range = converted >= integerUpperBound<SRC, DST>() ||
                            (std::is_signed_v<SRC> && converted < -integerUpperBound<SRC, DST>());
  if (out_of_range || static_cast<SRC>(converted) != from) {
    throwTruncated();
  }
  target = converted;
}

template <typename SRC, typename DST>
void convertNumber(const SRC & from, DST & target)
{
  static_assert(std::is_arithmetic_v<SRC> && std::is_arithmetic_v<DST>, "Not convertible");
  if constexpr (std::is_same_v<DST, bool>) {
    target = (from != 0);
  } else if constexpr (std::is_same_v<SRC, DST>) {
    target = from;
  } else if constexpr (is_integer<SRC> && is_integer<DST>) {
    convertInteger(from, target);
  } else if constexpr (std::is_floating_point_v<SRC> && std::is_floating_point_v<DST>) {
    if (std::isnan(from) || std::isinf(from)) {
      target = static_cast<DST>(from);
      return;
    }
    if (
      std::fabs(from) > std::numeric_limits<DST>::max() ||
      from != static_cast<SRC>(static_cast<DST>(from))) {
      throwTruncated();
    }
    target = static_cast<DST>(from);
  } else if constexpr (std::is_floating_point_v<SRC>) {
    convertRealToInteger(from, target);
  } else if constexpr (std::is_floating_point_v<DST>) {
    convertIntegerToReal(from, target);
  } else {
    // bool as a source
    target = static_cast<DST>(from);
  }
}

}  // namespace details
}  // namespace SafeAny

#endif  // BEHAVIORTREE_CPP_V3_UTILS_CONVERT_IMPL_HPP

// Dispatch of tf2::convert by whether each side is a ROS message.
#ifndef TF2__IMPL__CONVERT_H_
#define TF2__IMPL__CONVERT_H_

namespace tf2
{
namespace impl
{
template <bool IS_MESSAGE_A, bool IS_MESSAGE_B>
struct Converter
{
  template <typename A, typename B>
  static void convert(const A & a, B & b);
};

template <>
template <typename A, typename B>
void Converter<true, false>::convert(const A & a, B & b)
{
  fromMsg(a, b);
}

template <>
template <typename A, typename B>
void Converter<false, true>::convert(const A & a, B & b)
{
  b = toMsg(a);
}

template <>
template <typename A, typename B>
void Converter<false, false>::convert(const A & a, B & b)
{
  fromMsg(toMsg(a), b);
}

}  // namespace impl
}  // namespace tf2

#endif  // TF2__IMPL__CONVERT_H_

#ifndef BEHAVIORTREE_CPP_V3_UTILS_STRCAT_HPP
#define BEHAVIORTREE_CPP_V3_UTILS_STRCAT_HPP

#include <string>
#include <string_view>

namespace BT
{
/// Concatenates any number of string-like arguments into one string.
template <typename... Pieces>
inline std::string StrCat(const Pieces &... pieces)
{
  const std::string_view views[] = {std::string_view(), std::string_view(pieces)...};
  std::size_t size = 0;
  for (const auto & view : views) {
    size += view.size();
  }
  std::string out;
  out.reserve(size);
  for (const auto & view : views) {
    out.append(view.data(), view.size());
  }
  return out;
}

template <typename... Pieces>
inline void StrAppend(std::string & destination, const Pieces &... pieces)
{
  destination += StrCat(pieces...);
}

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_UTILS_STRCAT_HPP

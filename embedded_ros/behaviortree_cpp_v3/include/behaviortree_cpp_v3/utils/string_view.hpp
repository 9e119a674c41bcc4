#ifndef BEHAVIORTREE_CPP_V3_UTILS_STRING_VIEW_HPP
#define BEHAVIORTREE_CPP_V3_UTILS_STRING_VIEW_HPP

#include <string>
#include <string_view>

// BehaviorTree.CPP names its string view nonstd::string_view; with C++17 it is
// the standard one.
namespace nonstd
{
using std::string_view;

inline std::string to_string(std::string_view view) { return std::string(view); }
}  // namespace nonstd

#endif  // BEHAVIORTREE_CPP_V3_UTILS_STRING_VIEW_HPP

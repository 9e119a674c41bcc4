#ifndef BEHAVIORTREE_CPP_V3_UTILS_DEMANGLE_UTIL_H
#define BEHAVIORTREE_CPP_V3_UTILS_DEMANGLE_UTIL_H

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <typeinfo>

namespace BT
{
/// Readable name of a type: "void" for none, "std::string" for strings.
inline std::string demangle(const std::type_info * info)
{
  if (info == nullptr) {
    return "void";
  }
  if (*info == typeid(std::string)) {
    return "std::string";
  }
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> name(
    abi::__cxa_demangle(info->name(), nullptr, nullptr, &status), &std::free);
  return name ? std::string(name.get()) : std::string(info->name());
}

inline std::string demangle(const std::type_info & info) { return demangle(&info); }

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_UTILS_DEMANGLE_UTIL_H

#ifndef BEHAVIORTREE_CPP_V3_UTILS_SHARED_LIBRARY_H
#define BEHAVIORTREE_CPP_V3_UTILS_SHARED_LIBRARY_H

#include <mutex>
#include <string>

namespace BT
{
/// A dynamically loaded library. Destroying the object leaves the library
/// loaded: the nodes it registered keep pointing into its code.
class SharedLibrary
{
public:
  enum Flags {
    /// dlopen() with RTLD_GLOBAL, the default.
    SHLIB_GLOBAL = 1,
    /// dlopen() with RTLD_LOCAL.
    SHLIB_LOCAL = 2
  };

  SharedLibrary() = default;
  explicit SharedLibrary(const std::string & path, int flags = 0);

  SharedLibrary(const SharedLibrary &) = delete;
  SharedLibrary & operator=(const SharedLibrary &) = delete;

  /// Throws RuntimeError naming the library when it cannot be loaded.
  void load(const std::string & path, int flags = 0);

  bool isLoaded() const;
  const std::string & getPath() const;

  bool hasSymbol(const std::string & name);
  /// Throws RuntimeError when the symbol is missing.
  void * getSymbol(const std::string & name);

  static std::string prefix();
  static std::string suffix();
  /// "libname.so" for "name".
  static std::string getOSName(const std::string & name);

private:
  void * findSymbol(const std::string & name);

  std::mutex mutex_;
  void * handle_ = nullptr;
  std::string path_;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_UTILS_SHARED_LIBRARY_H

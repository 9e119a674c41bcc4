#include "behaviortree_cpp_v3/utils/shared_library.h"

#include <dlfcn.h>

#include "behaviortree_cpp_v3/exceptions.h"

namespace BT
{
SharedLibrary::SharedLibrary(const std::string & path, int flags) { load(path, flags); }

void SharedLibrary::load(const std::string & path, int flags)
{
  std::lock_guard<std::mutex> lock(mutex_);
  if (handle_ != nullptr) {
    throw RuntimeError("Library already loaded: ", path);
  }
  const int visibility = (flags & SHLIB_LOCAL) != 0 ? RTLD_LOCAL : RTLD_GLOBAL;
  handle_ = dlopen(path.c_str(), RTLD_NOW | visibility);
  if (handle_ == nullptr) {
    const char * error = dlerror();
    throw RuntimeError(
      "Could not load library [", path, "]: ", error != nullptr ? error : "unknown error");
  }
  path_ = path;
}

bool SharedLibrary::isLoaded() const { return handle_ != nullptr; }

const std::string & SharedLibrary::getPath() const { return path_; }

bool SharedLibrary::hasSymbol(const std::string & name) { return findSymbol(name) != nullptr; }

void * SharedLibrary::getSymbol(const std::string & name)
{
  void * symbol = findSymbol(name);
  if (symbol == nullptr) {
    throw RuntimeError(
      "[SharedLibrary::getSymbol]: can't find symbol [", name, "] in library [", path_, "]");
  }
  return symbol;
}

void * SharedLibrary::findSymbol(const std::string & name)
{
  std::lock_guard<std::mutex> lock(mutex_);
  return handle_ != nullptr ? dlsym(handle_, name.c_str()) : nullptr;
}

std::string SharedLibrary::prefix() { return "lib"; }

std::string SharedLibrary::suffix() { return ".so"; }

std::string SharedLibrary::getOSName(const std::string & name)
{
  return prefix() + name + suffix();
}

}  // namespace BT

// Linked into a copy of the node's executable for the crash tests: when VELMORAN_TEST_CRASH names
// a failure, a thread waits for one byte on standard input and then fails that way, so the test
// can let the process start up completely before it crashes.
#include <csignal>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>

#include <unistd.h>

namespace
{

void failAs(const std::string & kind)
{
  if (kind == "runtime_error") {
    throw std::runtime_error("injected failure");
  }
  if (kind == "int") {
    throw 42;
  }
  if (kind == "segv") {
    raise(SIGSEGV);
  }
  if (kind == "terminate") {
    std::terminate();
  }
}

const bool injector_started = [] {
  const char * kind = std::getenv("VELMORAN_TEST_CRASH");
  if (kind == nullptr) {
    return false;
  }
  std::thread([failure = std::string(kind)] {
    char trigger = 0;
    if (read(STDIN_FILENO, &trigger, 1) == 1) {
      failAs(failure);
    }
  }).detach();
  return true;
}();

}  // namespace

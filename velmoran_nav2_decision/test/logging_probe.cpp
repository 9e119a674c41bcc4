// Issues log statements as told by its arguments, so that tests can watch a fresh logger set-up:
//   debug:TEXT | info:TEXT | warn:TEXT | error:TEXT   one statement with TEXT as its argument
//   flag:true|false                                    INFO "emergency_stop is {}" with a bool
//   burst:N                                            N INFO statements "line {}" counting from 1
#include <cstdlib>
#include <iostream>
#include <string>

#include "logging/logger.hpp"

namespace
{

bool runCommand(const std::string & command)
{
  const auto colon = command.find(':');
  if (colon == std::string::npos) {
    return false;
  }
  const std::string verb = command.substr(0, colon);
  const std::string value = command.substr(colon + 1);
  if (verb == "debug") {
    LOG_DEBUG("{}", value);
  } else if (verb == "info") {
    LOG_INFO("{}", value);
  } else if (verb == "warn") {
    LOG_WARN("{}", value);
  } else if (verb == "error") {
    LOG_ERROR("{}", value);
  } else if (verb == "flag") {
    LOG_INFO("emergency_stop is {}", value == "true");
  } else if (verb == "burst") {
    const int count = std::stoi(value);
    for (int line = 1; line <= count; ++line) {
      LOG_INFO("line {}", line);
    }
  } else {
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char ** argv)
{
  velmoran::Logger::Instance("nav2_decision");
  for (int i = 1; i < argc; ++i) {
    if (!runCommand(argv[i])) {
      std::cerr << "logging_probe: unknown command '" << argv[i] << "'\n";
      return EXIT_FAILURE;
    }
  }
  return EXIT_SUCCESS;
}

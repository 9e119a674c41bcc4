#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "velmoran_process/subprocess.hpp"

// Runs the program named by the first argument with the others, as the simulation starts the
// node's process, and exits with its status.
int main(int argc, char ** argv)
{
  if (argc < 2) {
    std::fprintf(stderr, "usage: process_host <program> [arguments...]\n");
    return 2;
  }
  try {
    velmoran_process::Subprocess child(
      argv[1], std::vector<std::string>(argv + 2, argv + argc), {});
    const velmoran_process::ProcessExit exit = child.wait();
    std::printf("%s %s\n", argv[1], exit.describe().c_str());
    return exit.exited ? exit.code : 1;
  } catch (const std::runtime_error & error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 127;
  }
}

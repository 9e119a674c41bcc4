#include "process_runner.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "velmoran_process/subprocess.hpp"

namespace velmoran::test
{
namespace
{

/// An empty file, open for writing, removed with this object.
class TemporaryFile
{
public:
  TemporaryFile()
  {
    char path_template[] = "/tmp/velmoran_process_XXXXXX";
    fd_ = mkostemp(path_template, O_CLOEXEC);
    if (fd_ < 0) {
      throw std::runtime_error("cannot create a temporary file");
    }
    path_ = path_template;
  }
  ~TemporaryFile()
  {
    close(fd_);
    std::remove(path_.c_str());
  }
  TemporaryFile(const TemporaryFile &) = delete;
  TemporaryFile & operator=(const TemporaryFile &) = delete;

  int fd() const { return fd_; }
  std::string contents() const
  {
    std::ifstream stream(path_);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
  }

private:
  int fd_ = -1;
  std::string path_;
};

}  // namespace

ProcessOutput runProcess(
  const std::string & program, const std::vector<std::string> & arguments,
  const EnvironmentChanges & changes)
{
  TemporaryFile out;
  TemporaryFile err;
  velmoran_process::Subprocess::Options options;
  options.environment = changes;
  options.standard_output = out.fd();
  options.standard_error = err.fd();
  const auto exit = velmoran_process::Subprocess(program, arguments, options).wait();
  ProcessOutput output;
  output.exit_status = exit.exited ? exit.code : -1;
  output.out = out.contents();
  output.err = err.contents();
  return output;
}

}  // namespace velmoran::test

#include "process_runner.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace velmoran::test
{
namespace
{

class TemporaryFile
{
public:
  TemporaryFile()
  {
    char path_template[] = "/tmp/velmoran_process_XXXXXX";
    const int fd = mkstemp(path_template);
    if (fd < 0) {
      throw std::runtime_error("cannot create a temporary file");
    }
    close(fd);
    path_ = path_template;
  }
  ~TemporaryFile() { std::remove(path_.c_str()); }
  TemporaryFile(const TemporaryFile &) = delete;
  TemporaryFile & operator=(const TemporaryFile &) = delete;

  const std::string & path() const { return path_; }
  std::string contents() const
  {
    std::ifstream stream(path_);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
  }

private:
  std::string path_;
};

std::vector<std::string> changedEnvironment(const EnvironmentChanges & changes)
{
  std::vector<std::string> environment;
  for (char ** entry = environ; *entry != nullptr; ++entry) {
    const std::string text(*entry);
    if (changes.count(text.substr(0, text.find('='))) == 0) {
      environment.push_back(text);
    }
  }
  for (const auto & [name, value] : changes) {
    if (value) {
      environment.push_back(name + "=" + *value);
    }
  }
  return environment;
}

std::vector<char *> pointersTo(std::vector<std::string> & texts)
{
  std::vector<char *> pointers;
  pointers.reserve(texts.size() + 1);
  for (auto & text : texts) {
    pointers.push_back(text.data());
  }
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ProcessOutput runProcess(
  const std::string & program, const std::vector<std::string> & arguments,
  const EnvironmentChanges & changes)
{
  TemporaryFile out;
  TemporaryFile err;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(
    &actions, STDOUT_FILENO, out.path().c_str(), O_WRONLY | O_TRUNC, 0);
  posix_spawn_file_actions_addopen(
    &actions, STDERR_FILENO, err.path().c_str(), O_WRONLY | O_TRUNC, 0);

  std::vector<std::string> argv_texts{program};
  argv_texts.insert(argv_texts.end(), arguments.begin(), arguments.end());
  std::vector<std::string> environment = changedEnvironment(changes);
  std::vector<char *> argv = pointersTo(argv_texts);
  std::vector<char *> envp = pointersTo(environment);

  pid_t pid = 0;
  const int spawn_error =
    posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawn_error != 0) {
    throw std::runtime_error("cannot start " + program);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) {
    throw std::runtime_error("cannot wait for " + program);
  }
  ProcessOutput output;
  output.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  output.out = out.contents();
  output.err = err.contents();
  return output;
}

}  // namespace velmoran::test

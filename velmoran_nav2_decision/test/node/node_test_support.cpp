#include "node_test_support.hpp"

#include <fstream>

#include <unistd.h>

namespace velmoran::test
{

TemporaryDirectory::TemporaryDirectory()
{
  static int sequence = 0;
  path_ = std::filesystem::temp_directory_path() /
          ("velmoran_node_test_" + std::to_string(::getpid()) + "_" + std::to_string(++sequence));
  std::filesystem::create_directories(path_);
}

TemporaryDirectory::~TemporaryDirectory()
{
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TemporaryDirectory::write(const std::string & name, const std::string & text) const
{
  const auto file = path_ / name;
  std::ofstream(file) << text;
  return file.string();
}

std::string treeXml(const std::string & body)
{
  return "<root main_tree_to_execute=\"MainTree\">\n  <BehaviorTree ID=\"MainTree\">\n    " + body +
         "\n  </BehaviorTree>\n</root>\n";
}

Spinner::Spinner(const std::vector<rclcpp::node_interfaces::NodeBaseInterface::SharedPtr> & nodes)
{
  for (const auto & node : nodes) {
    executor_.add_node(node);
  }
  // spin_once in a loop instead of spin: a cancel() that came before spin() would be lost.
  thread_ = std::thread([this] {
    while (running_.load() && rclcpp::ok()) {
      executor_.spin_once(std::chrono::milliseconds(10));
    }
  });
}

Spinner::~Spinner()
{
  running_.store(false);
  thread_.join();
}

bool waitUntil(const std::function<bool()> & condition, std::chrono::milliseconds timeout)
{
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

rclcpp::NodeOptions optionsWith(const std::vector<rclcpp::Parameter> & parameters)
{
  rclcpp::NodeOptions options;
  options.parameter_overrides(parameters);
  return options;
}

}  // namespace velmoran::test

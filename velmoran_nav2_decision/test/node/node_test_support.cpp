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
  // spin() sleeps until there is work, as the node's own executor does; a job's idle CPU is then
  // the node's alone. A cancel() that comes before spin() has started is lost, so the destructor
  // repeats it until the thread has left.
  thread_ = std::thread([this] {
    while (running_.load() && rclcpp::ok()) {
      executor_.spin();
    }
    stopped_.set_value();
  });
}

Spinner::~Spinner()
{
  running_.store(false);
  const std::future<void> stopped = stopped_.get_future();
  do {
    executor_.cancel();
  } while (stopped.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready);
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

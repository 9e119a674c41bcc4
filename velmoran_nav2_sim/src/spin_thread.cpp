#include "velmoran_nav2_sim/spin_thread.hpp"

namespace velmoran_nav2_sim
{

SpinThread::SpinThread()
: stopped_(stop_.get_future().share()), finished_(finish_.get_future()), thread_([this]() {
    executor_.spin_until_future_complete(stopped_);
    finish_.set_value();
  })
{
}

SpinThread::~SpinThread() { stop(); }

void SpinThread::add(const rclcpp::Node::SharedPtr & node) { executor_.add_node(node); }

void SpinThread::add(const rclcpp::node_interfaces::NodeBaseInterface::SharedPtr & node)
{
  executor_.add_node(node);
}

void SpinThread::stop()
{
  if (!thread_.joinable()) {
    return;
  }
  stop_.set_value();
  // A cancel wakes an executor waiting for work; one that comes just before the spinning
  // starts is lost, hence the repetition.
  do {
    executor_.cancel();
  } while (finished_.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready);
  thread_.join();
}

}  // namespace velmoran_nav2_sim

#ifndef RCLCPP__DETAIL__SERVICE_QUEUE_HPP_
#define RCLCPP__DETAIL__SERVICE_QUEUE_HPP_

#include <deque>
#include <memory>
#include <mutex>

#include "rclcpp/detail/ready_notifier.hpp"
#include "rmw/types.h"

namespace rclcpp
{
namespace detail
{

/// A request arriving at a service, or a response arriving at a client, with the header that
/// pairs them (requesting client and sequence number).
struct ServiceMessage
{
  rmw_request_id_t header{};
  std::shared_ptr<void> payload;
};

/// The inbox of one service (requests) or one client (responses).
class ServiceQueue
{
public:
  void push(ServiceMessage message);
  bool pop(ServiceMessage & message);
  bool empty() const;

  ReadyNotifier & notifier() { return notifier_; }

private:
  mutable std::mutex mutex_;
  std::deque<ServiceMessage> messages_;
  ReadyNotifier notifier_;
};

}  // namespace detail
}  // namespace rclcpp

#endif  // RCLCPP__DETAIL__SERVICE_QUEUE_HPP_

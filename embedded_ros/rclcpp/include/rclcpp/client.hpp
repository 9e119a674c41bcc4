#ifndef RCLCPP__CLIENT_HPP_
#define RCLCPP__CLIENT_HPP_

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "rclcpp/context.hpp"
#include "rclcpp/detail/future_and_request_id.hpp"
#include "rclcpp/detail/service_queue.hpp"
#include "rclcpp/macros.hpp"
#include "rclcpp/qos.hpp"
#include "rmw/types.h"
#include "rosidl_runtime_c/service_type_support_struct.h"
#include "rosidl_runtime_cpp/traits.hpp"
#include "rosidl_typesupport_introspection_cpp/service_type_support_decl.hpp"

namespace rclcpp
{

class CallbackGroup;

namespace node_interfaces
{
class NodeBaseInterface;
class NodeGraphInterface;
}  // namespace node_interfaces

/// The type-independent part of a service client: its endpoint, its inbox of responses and the
/// sequence numbers of its requests.
class ClientBase
{
public:
  RCLCPP_SMART_PTR_DEFINITIONS_NOT_COPYABLE(ClientBase)

  /// `type_support` is the service type's C++ introspection type support, with which requests
  /// and responses travel over DDS; without it the client stays in this process.
  ClientBase(
    rclcpp::node_interfaces::NodeBaseInterface * node_base, const std::string & service_name,
    const std::string & type_name, const rclcpp::QoS & qos,
    const rosidl_service_type_support_t * type_support = nullptr);
  virtual ~ClientBase();

  const char * get_service_name() const;
  /// True when a server of the same name and type exists.
  bool service_is_ready() const;

  /// Waits for a server; false on time-out or when the context shuts down. A negative timeout
  /// waits without limit.
  template <typename RepT = int64_t, typename RatioT = std::milli>
  bool wait_for_service(
    std::chrono::duration<RepT, RatioT> timeout = std::chrono::duration<RepT, RatioT>(-1))
  {
    return wait_for_service_nanoseconds(
      std::chrono::duration_cast<std::chrono::nanoseconds>(timeout));
  }

  bool exchange_in_use_by_wait_set_state(bool in_use_state);

  bool has_response() const;
  bool take_type_erased_response(detail::ServiceMessage & response);
  /// Completes the pending request the response answers.
  virtual void handle_response(
    std::shared_ptr<rmw_request_id_t> request_header, std::shared_ptr<void> response) = 0;

  void attach_to_callback_group(std::weak_ptr<rclcpp::CallbackGroup> group);
  /// For an entity inside a waitable: arriving work triggers the waitable's guard condition.
  void attach_to_guard_condition(std::weak_ptr<rclcpp::GuardCondition> guard_condition);

protected:
  /// Sends a request and returns its sequence number.
  int64_t send_type_erased_request(std::shared_ptr<void> request);
  bool wait_for_service_nanoseconds(std::chrono::nanoseconds timeout);

private:
  RCLCPP_DISABLE_COPY(ClientBase)

  std::string service_name_;
  rclcpp::Context::SharedPtr context_;
  std::shared_ptr<detail::ServiceQueue> inbox_;
  uint64_t id_;
  std::atomic<int64_t> next_sequence_number_{1};
  std::atomic<bool> in_use_by_wait_set_{false};
};

/// A service client. Responses complete their futures (or run their callbacks) when the
/// executor serving the client's callback group processes them, as in ROS 2: the client's node
/// must be spun.
template <typename ServiceT>
class Client : public ClientBase
{
public:
  using Request = typename ServiceT::Request;
  using Response = typename ServiceT::Response;
  using SharedRequest = typename ServiceT::Request::SharedPtr;
  using SharedResponse = typename ServiceT::Response::SharedPtr;
  using Promise = std::promise<SharedResponse>;
  using PromiseWithRequest = std::promise<std::pair<SharedRequest, SharedResponse>>;
  using SharedPromise = std::shared_ptr<Promise>;
  using SharedPromiseWithRequest = std::shared_ptr<PromiseWithRequest>;
  using Future = std::future<SharedResponse>;
  using SharedFuture = std::shared_future<SharedResponse>;
  using SharedFutureWithRequest = std::shared_future<std::pair<SharedRequest, SharedResponse>>;
  using CallbackType = std::function<void(SharedFuture)>;
  using CallbackWithRequestType = std::function<void(SharedFutureWithRequest)>;

  RCLCPP_SMART_PTR_DEFINITIONS(Client)

  struct FutureAndRequestId : detail::FutureAndRequestId<std::future<SharedResponse>>
  {
    using detail::FutureAndRequestId<std::future<SharedResponse>>::FutureAndRequestId;

    [[deprecated("FutureAndRequestId: use .future.share() instead of an implicit conversion")]]
    operator SharedFuture()
    {
      return this->future.share();
    }

    SharedFuture share() noexcept { return this->future.share(); }
  };

  struct SharedFutureAndRequestId : detail::FutureAndRequestId<std::shared_future<SharedResponse>>
  {
    using detail::FutureAndRequestId<std::shared_future<SharedResponse>>::FutureAndRequestId;
  };

  struct SharedFutureWithRequestAndRequestId
  : detail::FutureAndRequestId<std::shared_future<std::pair<SharedRequest, SharedResponse>>>
  {
    using detail::FutureAndRequestId<
      std::shared_future<std::pair<SharedRequest, SharedResponse>>>::FutureAndRequestId;
  };

  Client(
    rclcpp::node_interfaces::NodeBaseInterface * node_base,
    std::shared_ptr<rclcpp::node_interfaces::NodeGraphInterface> /*node_graph*/,
    const std::string & service_name, const rclcpp::QoS & qos)
  : ClientBase(
      node_base, service_name, rosidl_generator_traits::name<ServiceT>(), qos,
      rosidl_typesupport_introspection_cpp::get_service_type_support_handle<ServiceT>())
  {
  }

  FutureAndRequestId async_send_request(SharedRequest request)
  {
    Promise promise;
    auto future = promise.get_future();
    int64_t id = send(request, std::move(promise));
    return FutureAndRequestId(std::move(future), id);
  }

  template <
    typename CallbackT,
    typename std::enable_if_t<std::is_invocable_v<CallbackT, SharedFuture>, int> = 0>
  SharedFutureAndRequestId async_send_request(SharedRequest request, CallbackT && cb)
  {
    Promise promise;
    auto future = promise.get_future().share();
    int64_t id = send(
      request,
      CallbackEntry{std::move(promise), future, CallbackType(std::forward<CallbackT>(cb))});
    return SharedFutureAndRequestId(std::move(future), id);
  }

  template <
    typename CallbackT,
    typename std::enable_if_t<std::is_invocable_v<CallbackT, SharedFutureWithRequest>, int> = 0>
  SharedFutureWithRequestAndRequestId async_send_request(SharedRequest request, CallbackT && cb)
  {
    PromiseWithRequest promise;
    auto future = promise.get_future().share();
    int64_t id = send(
      request,
      CallbackWithRequestEntry{
        std::move(promise), future, request, CallbackWithRequestType(std::forward<CallbackT>(cb))});
    return SharedFutureWithRequestAndRequestId(std::move(future), id);
  }

  /// Forgets a pending request; its future never completes. False when it was not pending.
  bool remove_pending_request(int64_t request_id)
  {
    std::lock_guard<std::mutex> lock(pending_mutex_);
    return pending_requests_.erase(request_id) != 0;
  }

  size_t prune_pending_requests()
  {
    std::lock_guard<std::mutex> lock(pending_mutex_);
    size_t count = pending_requests_.size();
    pending_requests_.clear();
    return count;
  }

  void handle_response(
    std::shared_ptr<rmw_request_id_t> request_header, std::shared_ptr<void> response) override
  {
    std::optional<PendingRequest> pending = take_pending(request_header->sequence_number);
    if (!pending) {
      return;
    }
    auto typed_response = std::static_pointer_cast<Response>(response);
    std::visit([&typed_response](auto & entry) { complete(entry, typed_response); }, *pending);
  }

private:
  struct CallbackEntry
  {
    Promise promise;
    SharedFuture future;
    CallbackType callback;
  };
  struct CallbackWithRequestEntry
  {
    PromiseWithRequest promise;
    SharedFutureWithRequest future;
    SharedRequest request;
    CallbackWithRequestType callback;
  };
  using PendingRequest = std::variant<Promise, CallbackEntry, CallbackWithRequestEntry>;

  static void complete(Promise & promise, const SharedResponse & response)
  {
    promise.set_value(response);
  }
  static void complete(CallbackEntry & entry, const SharedResponse & response)
  {
    entry.promise.set_value(response);
    entry.callback(entry.future);
  }
  static void complete(CallbackWithRequestEntry & entry, const SharedResponse & response)
  {
    entry.promise.set_value(std::make_pair(entry.request, response));
    entry.callback(entry.future);
  }

  int64_t send(const SharedRequest & request, PendingRequest pending)
  {
    std::lock_guard<std::mutex> lock(pending_mutex_);
    // The server gets its own copy, as it would after serialization.
    int64_t id = send_type_erased_request(std::make_shared<Request>(*request));
    pending_requests_.emplace(id, std::move(pending));
    return id;
  }

  std::optional<PendingRequest> take_pending(int64_t sequence_number)
  {
    std::lock_guard<std::mutex> lock(pending_mutex_);
    auto it = pending_requests_.find(sequence_number);
    if (it == pending_requests_.end()) {
      return std::nullopt;
    }
    std::optional<PendingRequest> pending(std::move(it->second));
    pending_requests_.erase(it);
    return pending;
  }

  std::mutex pending_mutex_;
  std::map<int64_t, PendingRequest> pending_requests_;
};

}  // namespace rclcpp

#endif  // RCLCPP__CLIENT_HPP_

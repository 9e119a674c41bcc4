#include "rclcpp_action/client.hpp"

#include <random>
#include <variant>

#include <rclcpp/detail/context_check.hpp>
#include <rclcpp/detail/domain.hpp>
#include <rclcpp/guard_condition.hpp>
#include <rclcpp/utilities.hpp>

namespace rclcpp_action
{
namespace
{
struct TakenResponse
{
  rclcpp::ClientBase * client;
  rclcpp::detail::ServiceMessage message;
};

struct TakenMessage
{
  rclcpp::SubscriptionBase * subscription;
  std::shared_ptr<const void> message;
};

using TakenWork = std::variant<TakenResponse, TakenMessage>;

// Graph changes are the wake-up; the cap only bounds how late a shutdown is noticed.
constexpr std::chrono::milliseconds kMaxGraphWait{100};

}  // namespace

class ClientBaseImpl
{
public:
  ClientBaseImpl(rclcpp::Context::SharedPtr context_in, rclcpp::Logger logger_in)
  : context(std::move(context_in)),
    logger(std::move(logger_in)),
    guard_condition(std::make_shared<rclcpp::GuardCondition>(context)),
    random_engine(std::random_device{}())
  {
  }

  bool has_work() const
  {
    return goal_client->has_response() || feedback_subscription->has_message() ||
           status_subscription->has_message() || result_client->has_response() ||
           cancel_client->has_response();
  }

  /// Takes one piece of work, in the documented order; false when there is none.
  bool take(TakenWork & work)
  {
    rclcpp::detail::ServiceMessage response;
    if (goal_client->take_type_erased_response(response)) {
      work = TakenResponse{goal_client.get(), std::move(response)};
      return true;
    }
    for (auto * subscription : {feedback_subscription.get(), status_subscription.get()}) {
      if (auto message = subscription->take_type_erased_message()) {
        work = TakenMessage{subscription, std::move(message)};
        return true;
      }
    }
    for (auto * client : {result_client.get(), cancel_client.get()}) {
      if (client->take_type_erased_response(response)) {
        work = TakenResponse{client, std::move(response)};
        return true;
      }
    }
    return false;
  }

  rclcpp::Context::SharedPtr context;
  rclcpp::Logger logger;
  rclcpp::ClientBase::SharedPtr goal_client;
  rclcpp::SubscriptionBase::SharedPtr feedback_subscription;
  rclcpp::SubscriptionBase::SharedPtr status_subscription;
  rclcpp::ClientBase::SharedPtr result_client;
  rclcpp::ClientBase::SharedPtr cancel_client;
  /// Triggered by every response and message for the client.
  std::shared_ptr<rclcpp::GuardCondition> guard_condition;

  std::mutex random_mutex;
  std::mt19937 random_engine;
};

namespace
{
/// The node's context, refused as rcl_action_client_init refuses it once it is shut down.
rclcpp::Context::SharedPtr usable_context(rclcpp::node_interfaces::NodeBaseInterface & node_base)
{
  rclcpp::detail::check_node_context_valid(node_base, "could not initialize rcl action client");
  return node_base.get_context();
}
}  // namespace

ClientBase::ClientBase(
  rclcpp::node_interfaces::NodeBaseInterface::SharedPtr node_base,
  rclcpp::node_interfaces::NodeLoggingInterface::SharedPtr node_logging)
: pimpl_(std::make_unique<ClientBaseImpl>(
    usable_context(*node_base), node_logging->get_logger().get_child("rclcpp_action")))
{
}

ClientBase::~ClientBase() = default;

void ClientBase::set_endpoints(
  rclcpp::ClientBase::SharedPtr goal_client, rclcpp::SubscriptionBase::SharedPtr feedback,
  rclcpp::SubscriptionBase::SharedPtr status, rclcpp::ClientBase::SharedPtr result_client,
  rclcpp::ClientBase::SharedPtr cancel_client)
{
  pimpl_->goal_client = std::move(goal_client);
  pimpl_->feedback_subscription = std::move(feedback);
  pimpl_->status_subscription = std::move(status);
  pimpl_->result_client = std::move(result_client);
  pimpl_->cancel_client = std::move(cancel_client);
  for (auto * client :
       {pimpl_->goal_client.get(), pimpl_->result_client.get(), pimpl_->cancel_client.get()}) {
    client->attach_to_guard_condition(pimpl_->guard_condition);
  }
  pimpl_->feedback_subscription->attach_to_guard_condition(pimpl_->guard_condition);
  pimpl_->status_subscription->attach_to_guard_condition(pimpl_->guard_condition);
}

bool ClientBase::action_server_is_ready() const
{
  return pimpl_->goal_client->service_is_ready() && pimpl_->cancel_client->service_is_ready() &&
         pimpl_->result_client->service_is_ready() &&
         pimpl_->feedback_subscription->get_publisher_count() > 0 &&
         pimpl_->status_subscription->get_publisher_count() > 0;
}

bool ClientBase::wait_for_action_server_nanoseconds(std::chrono::nanoseconds timeout)
{
  auto & domain = rclcpp::detail::Domain::global();
  const auto start = std::chrono::steady_clock::now();
  uint64_t seen_version = domain.graph_version();
  if (action_server_is_ready()) {
    return true;
  }
  if (timeout == std::chrono::nanoseconds(0)) {
    return false;
  }
  while (rclcpp::ok(pimpl_->context)) {
    auto deadline = std::chrono::steady_clock::now() + kMaxGraphWait;
    if (timeout > std::chrono::nanoseconds(0)) {
      deadline = std::min(deadline, start + timeout);
    }
    seen_version = domain.wait_for_graph_change(seen_version, deadline);
    if (action_server_is_ready()) {
      return true;
    }
    if (
      timeout > std::chrono::nanoseconds(0) &&
      std::chrono::steady_clock::now() >= start + timeout) {
      return false;
    }
  }
  return false;
}

size_t ClientBase::get_number_of_ready_guard_conditions() { return 1; }

void ClientBase::add_to_wait_set(rcl_wait_set_t * wait_set)
{
  rclcpp::detail::add_guard_condition_to_rcl_wait_set(wait_set, *pimpl_->guard_condition);
}

bool ClientBase::is_ready(rcl_wait_set_t * /*wait_set*/) { return pimpl_->has_work(); }

std::shared_ptr<void> ClientBase::take_data()
{
  auto work = std::make_shared<TakenWork>();
  if (!pimpl_->take(*work)) {
    return nullptr;
  }
  if (pimpl_->has_work()) {
    // A trigger wakes one wait: the work still queued needs another.
    pimpl_->guard_condition->trigger();
  }
  return work;
}

void ClientBase::execute(std::shared_ptr<void> & data)
{
  if (!data) {
    return;
  }
  auto & work = *std::static_pointer_cast<TakenWork>(data);
  if (auto * response = std::get_if<TakenResponse>(&work)) {
    response->client->handle_response(
      std::make_shared<rmw_request_id_t>(response->message.header), response->message.payload);
  } else {
    auto & message = std::get<TakenMessage>(work);
    message.subscription->handle_type_erased_message(message.message);
  }
}

rclcpp::Logger ClientBase::get_logger() const { return pimpl_->logger; }

GoalUUID ClientBase::generate_goal_id()
{
  GoalUUID goal_id;
  std::uniform_int_distribution<int> byte(0, 255);
  std::lock_guard<std::mutex> lock(pimpl_->random_mutex);
  for (uint8_t & value : goal_id) {
    value = static_cast<uint8_t>(byte(pimpl_->random_engine));
  }
  return goal_id;
}

}  // namespace rclcpp_action

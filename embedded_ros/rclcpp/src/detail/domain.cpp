#include "rclcpp/detail/domain.hpp"

#include <algorithm>
#include <cstring>
#include <deque>
#include <utility>

#include "detail/dds_transport.hpp"
#include "detail/name_validation.hpp"
#include "rclcpp/logging.hpp"

namespace rclcpp
{
namespace detail
{

struct Domain::PublisherRecord
{
  EndpointInfo info;
  std::string topic;
  /// The newest messages, kept only for transient local durability.
  std::deque<std::shared_ptr<const void>> history;
  /// Shared so that publishing can write outside the lock while the publisher is removed.
  std::shared_ptr<DdsPublication> dds;
};

struct Domain::SubscriptionRecord
{
  uint64_t id;
  EndpointInfo info;
  std::weak_ptr<MessageQueue> inbox;
};

struct Domain::Topic
{
  std::map<uint64_t, std::shared_ptr<PublisherRecord>> publishers;
  std::map<uint64_t, SubscriptionRecord> subscriptions;
  /// Copy-on-write list of subscriptions, so publishing needs the lock only to copy a pointer.
  std::shared_ptr<const std::vector<SubscriptionRecord>> subscribers =
    std::make_shared<const std::vector<SubscriptionRecord>>();
};

struct Domain::Service
{
  struct Server
  {
    uint64_t id;
    std::string type;
    std::weak_ptr<ServiceQueue> inbox;
  };
  std::vector<Server> servers;
};

namespace
{

bool is_transient_local(const rmw_qos_profile_t & qos)
{
  return qos.durability == RMW_QOS_POLICY_DURABILITY_TRANSIENT_LOCAL;
}

void encode_client_id(uint64_t client_id, rmw_request_id_t & header)
{
  std::memset(header.writer_guid, 0, sizeof(header.writer_guid));
  std::memcpy(header.writer_guid, &client_id, sizeof(client_id));
}

uint64_t decode_client_id(const rmw_request_id_t & header)
{
  uint64_t client_id = 0;
  std::memcpy(&client_id, header.writer_guid, sizeof(client_id));
  return client_id;
}

bool delivers_to(const EndpointInfo & publisher, const EndpointInfo & subscription)
{
  if (publisher.type != subscription.type) {
    return false;
  }
  return !(
    subscription.ignore_local_publications && subscription.node_id != 0 &&
    subscription.node_id == publisher.node_id);
}

/// Removes the entry of `id` from `entries` and returns it; nothing when there is none.
template <typename Map>
typename Map::mapped_type take_entry(Map & entries, uint64_t id)
{
  auto entry = entries.find(id);
  if (entry == entries.end()) {
    return nullptr;
  }
  auto value = std::move(entry->second);
  entries.erase(entry);
  return value;
}

/// Tells `graph` that the DDS readers and writers of `dds` came (or went).
template <typename Endpoint>
void announce(DdsGraph * graph, uintptr_t node_id, const Endpoint & dds, bool added)
{
  if (graph == nullptr || !dds) {
    return;
  }
  try {
    if (added) {
      graph->add_endpoints(node_id, dds->graph_endpoints());
    } else {
      graph->remove_endpoints(dds->graph_endpoints());
    }
  } catch (const std::exception & error) {
    RCLCPP_ERROR(
      rclcpp::get_logger("rmw_dds"), "Could not tell the ROS graph of an endpoint: %s",
      error.what());
  }
}

}  // namespace

Domain::Domain() : dds_(DdsTransport::from_environment())
{
  if (dds_) {
    dds_graph_ = dds_->make_graph([this]() { notify_graph_change(); });
  }
}

Domain::~Domain()
{
  // DDS readers go before the transport's participant.
  dds_graph_.reset();
  dds_subscriptions_.clear();
  dds_servers_.clear();
  dds_clients_.clear();
  publishers_.clear();
  topics_.clear();
  dds_.reset();
}

Domain & Domain::global()
{
  static Domain domain;
  return domain;
}

bool Domain::qos_compatible(
  const rmw_qos_profile_t & publisher, const rmw_qos_profile_t & subscription)
{
  const bool best_effort_publisher =
    publisher.reliability == RMW_QOS_POLICY_RELIABILITY_BEST_EFFORT;
  const bool reliable_subscription =
    subscription.reliability == RMW_QOS_POLICY_RELIABILITY_RELIABLE;
  if (best_effort_publisher && reliable_subscription) {
    return false;
  }
  return is_transient_local(publisher) || !is_transient_local(subscription);
}

void Domain::graph_changed_locked()
{
  ++graph_version_;
  graph_condition_.notify_all();
}

void Domain::rebuild_topic_subscribers(Topic & topic)
{
  auto subscribers = std::make_shared<std::vector<SubscriptionRecord>>();
  for (const auto & entry : topic.subscriptions) {
    subscribers->push_back(entry.second);
  }
  topic.subscribers = std::move(subscribers);
}

uint64_t Domain::add_publisher(const EndpointInfo & info)
{
  auto record = std::make_shared<PublisherRecord>();
  record->info = info;
  record->topic = info.name;
  // DDS entities are made and deleted outside the lock: Cyclone may call back into the domain.
  if (dds_) {
    record->dds = dds_->add_publication(info, [this]() { notify_graph_change(); });
    announce(dds_graph_.get(), info.node_id, record->dds, true);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t id = next_id_++;
  auto & topic = topics_[info.name];
  if (!topic) {
    topic = std::make_shared<Topic>();
  }
  topic->publishers[id] = record;
  publishers_[id] = record;
  graph_changed_locked();
  return id;
}

void Domain::remove_publisher(uint64_t publisher_id)
{
  std::shared_ptr<PublisherRecord> removed;  // deleted after the lock is released
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = publishers_.find(publisher_id);
    if (it == publishers_.end()) {
      return;
    }
    removed = it->second;
    auto topic = topics_.find(it->second->topic);
    if (topic != topics_.end()) {
      topic->second->publishers.erase(publisher_id);
    }
    publishers_.erase(it);
    graph_changed_locked();
  }
  announce(dds_graph_.get(), removed->info.node_id, removed->dds, false);
}

void Domain::publish(uint64_t publisher_id, std::shared_ptr<const void> message)
{
  std::shared_ptr<const std::vector<SubscriptionRecord>> subscribers;
  std::shared_ptr<DdsPublication> dds;
  EndpointInfo publisher;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = publishers_.find(publisher_id);
    if (it == publishers_.end()) {
      return;
    }
    auto & record = *it->second;
    publisher = record.info;
    if (is_transient_local(publisher.qos)) {
      record.history.push_back(message);
      while (record.history.size() > std::max<size_t>(publisher.qos.depth, 1)) {
        record.history.pop_front();
      }
    }
    subscribers = topics_[record.topic]->subscribers;
    dds = record.dds;
  }
  if (dds) {
    dds->publish(message.get());
  }
  for (const auto & subscription : *subscribers) {
    if (
      !delivers_to(publisher, subscription.info) ||
      !qos_compatible(publisher.qos, subscription.info.qos)) {
      continue;
    }
    if (auto inbox = subscription.inbox.lock()) {
      inbox->push(message);
    }
  }
}

size_t Domain::matched_subscriptions(uint64_t publisher_id) const
{
  std::shared_ptr<DdsPublication> dds;
  size_t local = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = publishers_.find(publisher_id);
    if (it == publishers_.end()) {
      return 0;
    }
    dds = it->second->dds;
    local = matched_subscriptions_locked(*it->second);
  }
  return local + (dds ? dds->matched_readers() : 0);
}

size_t Domain::matched_subscriptions_locked(const PublisherRecord & record) const
{
  const auto & publisher = record.info;
  const auto & topic = *topics_.at(record.topic);
  return static_cast<size_t>(std::count_if(
    topic.subscriptions.begin(), topic.subscriptions.end(), [&publisher](const auto & entry) {
      return delivers_to(publisher, entry.second.info) &&
             qos_compatible(publisher.qos, entry.second.info.qos);
    }));
}

void Domain::replay_history(const Topic & topic, const SubscriptionRecord & subscription) const
{
  auto inbox = subscription.inbox.lock();
  if (!inbox || !is_transient_local(subscription.info.qos)) {
    return;
  }
  for (const auto & entry : topic.publishers) {
    const auto & publisher = *entry.second;
    if (
      !delivers_to(publisher.info, subscription.info) ||
      !qos_compatible(publisher.info.qos, subscription.info.qos)) {
      continue;
    }
    for (const auto & message : publisher.history) {
      inbox->push(message);
    }
  }
}

uint64_t Domain::add_subscription(const EndpointInfo & info, std::weak_ptr<MessageQueue> inbox)
{
  // Samples may arrive as soon as the reader exists; they go straight into the inbox.
  std::shared_ptr<DdsSubscription> dds =
    dds_ ? dds_->add_subscription(info, inbox, [this]() { notify_graph_change(); }) : nullptr;
  announce(dds_graph_.get(), info.node_id, dds, true);
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t id = next_id_++;
  auto & topic = topics_[info.name];
  if (!topic) {
    topic = std::make_shared<Topic>();
  }
  SubscriptionRecord record{id, info, std::move(inbox)};
  // Replayed under the lock so that no message published meanwhile is delivered twice.
  replay_history(*topic, record);
  topic->subscriptions[id] = record;
  rebuild_topic_subscribers(*topic);
  subscription_topics_[id] = info.name;
  if (dds) {
    dds_subscriptions_[id] = std::move(dds);
  }
  graph_changed_locked();
  return id;
}

void Domain::remove_subscription(uint64_t subscription_id)
{
  // Deleted after the lock is released: deleting a DDS reader waits for its callback.
  std::shared_ptr<DdsSubscription> dds;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = subscription_topics_.find(subscription_id);
    if (it == subscription_topics_.end()) {
      return;
    }
    dds = take_entry(dds_subscriptions_, subscription_id);
    auto & topic = *topics_[it->second];
    topic.subscriptions.erase(subscription_id);
    rebuild_topic_subscribers(topic);
    subscription_topics_.erase(it);
    graph_changed_locked();
  }
  announce(dds_graph_.get(), 0, dds, false);
}

size_t Domain::matched_publishers(uint64_t subscription_id) const
{
  std::shared_ptr<DdsSubscription> dds;
  size_t local = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = subscription_topics_.find(subscription_id);
    if (it == subscription_topics_.end()) {
      return 0;
    }
    const auto & topic = *topics_.at(it->second);
    const auto & subscription = topic.subscriptions.at(subscription_id).info;
    local = static_cast<size_t>(std::count_if(
      topic.publishers.begin(), topic.publishers.end(), [&subscription](const auto & entry) {
        return delivers_to(entry.second->info, subscription) &&
               qos_compatible(entry.second->info.qos, subscription.qos);
      }));
    auto reader = dds_subscriptions_.find(subscription_id);
    if (reader != dds_subscriptions_.end()) {
      dds = reader->second;
    }
  }
  return local + (dds ? dds->matched_writers() : 0);
}

size_t Domain::count_publishers(const std::string & topic) const
{
  const size_t remote =
    dds_graph_ ? dds_graph_->count_remote(rmw_dds::dds_topic_name(topic), true) : 0;
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = topics_.find(topic);
  return remote + (it == topics_.end() ? 0 : it->second->publishers.size());
}

size_t Domain::count_subscriptions(const std::string & topic) const
{
  const size_t remote =
    dds_graph_ ? dds_graph_->count_remote(rmw_dds::dds_topic_name(topic), false) : 0;
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = topics_.find(topic);
  return remote + (it == topics_.end() ? 0 : it->second->subscriptions.size());
}

std::map<std::string, std::vector<std::string>> Domain::topic_names_and_types() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  std::map<std::string, std::vector<std::string>> result;
  auto add = [&result](const std::string & name, const std::string & type) {
    auto & types = result[name];
    if (std::find(types.begin(), types.end(), type) == types.end()) {
      types.push_back(type);
    }
  };
  for (const auto & topic : topics_) {
    for (const auto & publisher : topic.second->publishers) {
      add(topic.first, publisher.second->info.type);
    }
    for (const auto & subscription : topic.second->subscriptions) {
      add(topic.first, subscription.second.info.type);
    }
  }
  if (dds_graph_) {
    dds_graph_->add_remote_topics(result);
  }
  return result;
}

std::map<std::string, std::vector<std::string>> Domain::service_names_and_types() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  std::map<std::string, std::vector<std::string>> result;
  for (const auto & service : services_) {
    for (const auto & server : service.second->servers) {
      auto & types = result[service.first];
      if (std::find(types.begin(), types.end(), server.type) == types.end()) {
        types.push_back(server.type);
      }
    }
  }
  if (dds_graph_) {
    dds_graph_->add_remote_services(result);
  }
  return result;
}

uint64_t Domain::add_service(const EndpointInfo & info, std::weak_ptr<ServiceQueue> inbox)
{
  std::shared_ptr<DdsServer> dds =
    dds_ ? dds_->add_server(info, inbox, [this]() { notify_graph_change(); }) : nullptr;
  announce(dds_graph_.get(), info.node_id, dds, true);
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t id = next_id_++;
  if (dds) {
    dds_servers_[id] = std::move(dds);
  }
  auto & service = services_[info.name];
  if (!service) {
    service = std::make_shared<Service>();
  }
  service->servers.push_back(Service::Server{id, info.type, std::move(inbox)});
  server_names_[id] = info.name;
  graph_changed_locked();
  return id;
}

void Domain::remove_service(uint64_t service_id)
{
  std::shared_ptr<DdsServer> dds;  // deleted after the lock is released
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = server_names_.find(service_id);
    if (it == server_names_.end()) {
      return;
    }
    dds = take_entry(dds_servers_, service_id);
    auto & servers = services_[it->second]->servers;
    servers.erase(
      std::remove_if(
        servers.begin(), servers.end(),
        [service_id](const auto & server) { return server.id == service_id; }),
      servers.end());
    if (servers.empty()) {
      services_.erase(it->second);
    }
    server_names_.erase(it);
    graph_changed_locked();
  }
  announce(dds_graph_.get(), 0, dds, false);
}

uint64_t Domain::add_client(const EndpointInfo & info, std::weak_ptr<ServiceQueue> inbox)
{
  std::shared_ptr<DdsClient> dds =
    dds_ ? dds_->add_client(info, inbox, [this]() { notify_graph_change(); }) : nullptr;
  announce(dds_graph_.get(), info.node_id, dds, true);
  std::lock_guard<std::mutex> lock(mutex_);
  const uint64_t id = next_id_++;
  clients_[id] = ClientRecord{info.name, info.type, std::move(inbox)};
  if (dds) {
    dds_clients_[id] = std::move(dds);
  }
  graph_changed_locked();
  return id;
}

void Domain::remove_client(uint64_t client_id)
{
  std::shared_ptr<DdsClient> dds;  // deleted after the lock is released
  {
    std::lock_guard<std::mutex> lock(mutex_);
    dds = take_entry(dds_clients_, client_id);
    clients_.erase(client_id);
    graph_changed_locked();
  }
  announce(dds_graph_.get(), 0, dds, false);
}

std::shared_ptr<DdsClient> Domain::find_dds_client_locked(uint64_t client_id) const
{
  auto client = dds_clients_.find(client_id);
  return client == dds_clients_.end() ? nullptr : client->second;
}

std::shared_ptr<ServiceQueue> Domain::find_server_locked(uint64_t client_id) const
{
  auto client = clients_.find(client_id);
  if (client == clients_.end()) {
    return nullptr;
  }
  auto service = services_.find(client->second.name);
  if (service == services_.end()) {
    return nullptr;
  }
  for (const auto & server : service->second->servers) {
    if (server.type != client->second.type) {
      continue;
    }
    if (auto inbox = server.inbox.lock()) {
      return inbox;
    }
  }
  return nullptr;
}

bool Domain::service_is_available(uint64_t client_id) const
{
  std::shared_ptr<DdsClient> dds;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (find_server_locked(client_id) != nullptr) {
      return true;
    }
    dds = find_dds_client_locked(client_id);
  }
  return dds && dds->server_matched();
}

bool Domain::send_request(
  uint64_t client_id, int64_t sequence_number, std::shared_ptr<void> request)
{
  std::shared_ptr<ServiceQueue> server;
  std::shared_ptr<DdsClient> dds;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    server = find_server_locked(client_id);
    if (!server) {
      dds = find_dds_client_locked(client_id);
    }
  }
  if (!server) {
    return dds && dds->send_request(sequence_number, request.get());
  }
  ServiceMessage message;
  encode_client_id(client_id, message.header);
  message.header.sequence_number = sequence_number;
  message.payload = std::move(request);
  server->push(std::move(message));
  return true;
}

bool Domain::send_response(
  uint64_t service_id, const rmw_request_id_t & request_header, std::shared_ptr<void> response)
{
  if (DdsServer::is_remote_request(request_header)) {
    std::shared_ptr<DdsServer> dds;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto server = dds_servers_.find(service_id);
      if (server != dds_servers_.end()) {
        dds = server->second;
      }
    }
    return dds && dds->send_response(request_header, response.get());
  }
  std::shared_ptr<ServiceQueue> client_inbox;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto client = clients_.find(decode_client_id(request_header));
    if (client != clients_.end()) {
      client_inbox = client->second.inbox.lock();
    }
  }
  if (!client_inbox) {
    return false;
  }
  client_inbox->push(ServiceMessage{request_header, std::move(response)});
  return true;
}

void Domain::add_node(uintptr_t node_id, const std::string & name_space, const std::string & name)
{
  if (dds_graph_) {
    dds_graph_->add_node(node_id, name_space, name);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  nodes_.emplace_back(node_id, fully_qualified_name(name_space, name));
  graph_changed_locked();
}

void Domain::remove_node(uintptr_t node_id)
{
  if (dds_graph_) {
    dds_graph_->remove_node(node_id);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  nodes_.erase(
    std::remove_if(
      nodes_.begin(), nodes_.end(), [node_id](const auto & node) { return node.first == node_id; }),
    nodes_.end());
  graph_changed_locked();
}

std::vector<std::string> Domain::node_names() const
{
  std::vector<std::string> names =
    dds_graph_ ? dds_graph_->remote_node_names() : std::vector<std::string>();
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto & node : nodes_) {
    names.push_back(node.second);
  }
  return names;
}

uint64_t Domain::graph_version() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  return graph_version_;
}

uint64_t Domain::wait_for_graph_change(
  uint64_t seen_version, std::chrono::steady_clock::time_point deadline)
{
  std::unique_lock<std::mutex> lock(mutex_);
  graph_condition_.wait_until(
    lock, deadline, [this, seen_version]() { return graph_version_ != seen_version; });
  return graph_version_;
}

void Domain::notify_graph_change()
{
  std::lock_guard<std::mutex> lock(mutex_);
  graph_changed_locked();
}

}  // namespace detail
}  // namespace rclcpp

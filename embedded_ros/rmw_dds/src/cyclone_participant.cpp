#include "rmw_dds/cyclone_participant.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

#include "dds/dds.h"
#include "raw_cdr_sertype.hpp"

namespace rmw_dds
{
namespace
{

dds_entity_t checked(dds_entity_t result, const char * call)
{
  if (result < 0) {
    throw std::runtime_error(std::string(call) + " failed: " + dds_strretcode(result));
  }
  return result;
}

struct QosDeleter
{
  void operator()(dds_qos_t * qos) const { dds_delete_qos(qos); }
};

std::unique_ptr<dds_qos_t, QosDeleter> make_qos(const DdsQos & qos)
{
  std::unique_ptr<dds_qos_t, QosDeleter> dds(dds_create_qos());
  dds_qset_writer_data_lifecycle(dds.get(), qos.autodispose_unregistered_instances);
  const dds_history_kind_t history =
    qos.history == DdsHistory::KeepAll ? DDS_HISTORY_KEEP_ALL : DDS_HISTORY_KEEP_LAST;
  dds_qset_history(dds.get(), history, qos.history_depth);
  dds_qset_reliability(
    dds.get(),
    qos.reliability == DdsReliability::Reliable ? DDS_RELIABILITY_RELIABLE
                                                : DDS_RELIABILITY_BEST_EFFORT,
    qos.reliability_max_blocking_time);
  if (qos.durability == DdsDurability::TransientLocal) {
    dds_qset_durability(dds.get(), DDS_DURABILITY_TRANSIENT_LOCAL);
  } else {
    dds_qset_durability(dds.get(), DDS_DURABILITY_VOLATILE);
  }
  if (qos.durability_service) {
    dds_qset_durability_service(
      dds.get(), 0, history, qos.history_depth, DDS_LENGTH_UNLIMITED, DDS_LENGTH_UNLIMITED,
      DDS_LENGTH_UNLIMITED);
  }
  if (qos.lifespan) {
    dds_qset_lifespan(dds.get(), *qos.lifespan);
  }
  if (qos.deadline) {
    dds_qset_deadline(dds.get(), *qos.deadline);
  }
  dds_qset_liveliness(
    dds.get(),
    qos.liveliness == DdsLiveliness::ManualByTopic ? DDS_LIVELINESS_MANUAL_BY_TOPIC
                                                   : DDS_LIVELINESS_AUTOMATIC,
    qos.liveliness_lease_duration);
  if (qos.ignore_local_participant) {
    dds_qset_ignorelocal(dds.get(), DDS_IGNORELOCAL_PARTICIPANT);
  }
  if (!qos.user_data.empty()) {
    dds_qset_userdata(dds.get(), qos.user_data.data(), qos.user_data.size());
  }
  return dds;
}

dds_entity_t create_topic(CycloneParticipant & participant, const DdsTopic & topic)
{
  ddsi_sertype * type = detail::make_raw_cdr_sertype(topic.type);
  const dds_entity_t result = dds_create_topic_sertype(
    participant.handle(), topic.name.c_str(), &type, nullptr, nullptr, nullptr);
  // On failure the sertype is not freed: Cyclone may already have registered it, and a small
  // leak on this error path is safer than freeing it twice.
  return checked(result, "dds_create_topic_sertype");
}

using CreateEndpoint =
  dds_entity_t (*)(dds_entity_t, dds_entity_t, const dds_qos_t *, const dds_listener_t *);

struct ListenerDeleter
{
  void operator()(dds_listener_t * listener) const { dds_delete_listener(listener); }
};

/// A writer or reader on `topic`; deletes the topic when that fails.
dds_entity_t create_endpoint(
  CreateEndpoint create, const char * call, CycloneParticipant & participant, dds_entity_t topic,
  const DdsQos & qos, const dds_listener_t * listener = nullptr)
{
  const auto dds_qos = make_qos(qos);
  const dds_entity_t endpoint = create(participant.handle(), topic, dds_qos.get(), listener);
  if (endpoint < 0) {
    dds_delete(topic);
  }
  return checked(endpoint, call);
}

void on_publication_matched(
  dds_entity_t /*writer*/, const dds_publication_matched_status_t /*status*/, void * callback)
{
  (*static_cast<MatchCallback *>(callback))();
}

void on_subscription_matched(
  dds_entity_t /*reader*/, const dds_subscription_matched_status_t /*status*/, void * callback)
{
  (*static_cast<MatchCallback *>(callback))();
}

}  // namespace

Guid guid_of(int32_t entity)
{
  dds_guid_t guid{};
  checked(dds_get_guid(entity, &guid), "dds_get_guid");
  Guid result{};
  static_assert(sizeof(result) == sizeof(guid.v), "a DDS GUID has 16 bytes");
  std::memcpy(result.data(), guid.v, result.size());
  return result;
}

CycloneParticipant::CycloneParticipant(uint32_t domain_id, const std::string & config)
{
  if (!config.empty()) {
    domain_ = checked(dds_create_domain(domain_id, config.c_str()), "dds_create_domain");
  }
  const dds_entity_t participant = dds_create_participant(domain_id, nullptr, nullptr);
  if (participant < 0 && domain_ > 0) {
    dds_delete(domain_);
  }
  participant_ = checked(participant, "dds_create_participant");
}

CycloneParticipant::~CycloneParticipant()
{
  dds_delete(participant_);
  if (domain_ > 0) {
    dds_delete(domain_);
  }
}

CycloneWriter::CycloneWriter(
  CycloneParticipant & participant, const DdsTopic & topic, const DdsQos & qos,
  MatchCallback on_match)
: on_match_(std::move(on_match)), topic_(create_topic(participant, topic))
{
  std::unique_ptr<dds_listener_t, ListenerDeleter> listener;
  if (on_match_) {
    listener.reset(dds_create_listener(nullptr));
    dds_lset_publication_matched_arg(listener.get(), &on_publication_matched, &on_match_, false);
  }
  writer_ = create_endpoint(
    dds_create_writer, "dds_create_writer", participant, topic_, qos, listener.get());
}

size_t CycloneWriter::matched_readers() const
{
  dds_publication_matched_status_t status{};
  checked(dds_get_publication_matched_status(writer_, &status), "dds_get_publication_matched");
  return status.current_count;
}

namespace
{

using GetMatched = dds_return_t (*)(dds_entity_t, dds_instance_handle_t *, size_t);
using GetMatchedData = dds_builtintopic_endpoint_t * (*)(dds_entity_t, dds_instance_handle_t);

/// What `read` gives for each endpoint matched with `entity` (a writer's readers or a reader's
/// writers), skipping those that went while being listed.
template <typename Read>
auto each_matched(dds_entity_t entity, GetMatched get, GetMatchedData get_data, Read read)
  -> std::vector<decltype(read(std::declval<const dds_builtintopic_endpoint_t &>()))>
{
  std::vector<dds_instance_handle_t> handles(16);
  while (true) {
    const dds_return_t count =
      checked(get(entity, handles.data(), handles.size()), "dds_get_matched_endpoints");
    const bool complete = static_cast<size_t>(count) <= handles.size();
    handles.resize(static_cast<size_t>(count));
    if (complete) {
      break;
    }
  }
  std::vector<decltype(read(std::declval<const dds_builtintopic_endpoint_t &>()))> results;
  for (const dds_instance_handle_t handle : handles) {
    dds_builtintopic_endpoint_t * data = get_data(entity, handle);
    if (data != nullptr) {
      results.push_back(read(*data));
      dds_builtintopic_free_endpoint(data);
    }
  }
  return results;
}

std::string user_data_of(const dds_builtintopic_endpoint_t & endpoint)
{
  void * value = nullptr;
  size_t size = 0;
  if (endpoint.qos == nullptr || !dds_qget_userdata(endpoint.qos, &value, &size)) {
    return {};
  }
  std::string text(static_cast<const char *>(value), size);
  dds_free(value);
  return text;
}

}  // namespace

bool CycloneWriter::matches_reader_of(uint64_t participant) const
{
  const auto participants = each_matched(
    writer_, &dds_get_matched_subscriptions, &dds_get_matched_subscription_data,
    [](const dds_builtintopic_endpoint_t & reader) { return reader.participant_instance_handle; });
  return std::find(participants.begin(), participants.end(), participant) != participants.end();
}

std::vector<std::string> CycloneWriter::matched_readers_user_data() const
{
  return each_matched(
    writer_, &dds_get_matched_subscriptions, &dds_get_matched_subscription_data, &user_data_of);
}

uint64_t CycloneWriter::instance_handle() const
{
  dds_instance_handle_t handle = 0;
  checked(dds_get_instance_handle(writer_, &handle), "dds_get_instance_handle");
  return handle;
}

CycloneWriter::~CycloneWriter()
{
  dds_delete(writer_);
  dds_delete(topic_);
}

void CycloneWriter::write(const std::vector<uint8_t> & sample)
{
  if (sample.size() < 4 || sample[0] != 0x00 || sample[1] != 0x01) {
    throw std::invalid_argument("a sample to write must start with the plain CDR header 00 01");
  }
  const detail::RawCdrSample raw{sample};
  checked(dds_write(writer_, &raw), "dds_write");
}

namespace
{

/// Waits until `matched(entity)` is at least `count`, woken by the status `mask`; false on
/// time-out.
template <typename Matched>
bool wait_for_matches(
  dds_entity_t entity, uint32_t mask, Matched matched, size_t count,
  std::chrono::milliseconds timeout)
{
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  const dds_entity_t waitset =
    checked(dds_create_waitset(dds_get_participant(entity)), "dds_create_waitset");
  bool reached = false;
  try {
    uint32_t enabled = 0;
    checked(dds_get_status_mask(entity, &enabled), "dds_get_status_mask");
    checked(dds_set_status_mask(entity, enabled | mask), "dds_set_status_mask");
    checked(dds_waitset_attach(waitset, entity, entity), "dds_waitset_attach");
    while (!(reached = matched(entity) >= count)) {
      const auto left = deadline - std::chrono::steady_clock::now();
      if (left <= std::chrono::steady_clock::duration::zero()) {
        break;
      }
      dds_waitset_wait(
        waitset, nullptr, 0, std::chrono::duration_cast<std::chrono::nanoseconds>(left).count());
    }
  } catch (...) {
    dds_delete(waitset);
    throw;
  }
  dds_delete(waitset);
  return reached;
}

}  // namespace

bool CycloneWriter::wait_for_readers(size_t count, std::chrono::milliseconds timeout) const
{
  return wait_for_matches(
    writer_, DDS_PUBLICATION_MATCHED_STATUS, [this](dds_entity_t) { return matched_readers(); },
    count, timeout);
}

bool CycloneReader::wait_for_writers(size_t count, std::chrono::milliseconds timeout) const
{
  return wait_for_matches(
    reader_, DDS_SUBSCRIPTION_MATCHED_STATUS, [this](dds_entity_t) { return matched_writers(); },
    count, timeout);
}

namespace
{

/// The next valid sample of `reader`, without waiting; `writer` gets the handle of its writer.
std::optional<std::vector<uint8_t>> take_one(dds_entity_t reader, uint64_t * writer = nullptr)
{
  while (true) {
    detail::RawCdrSample sample;
    void * buffers[1] = {&sample};
    dds_sample_info_t info{};
    const dds_return_t taken = checked(dds_take(reader, buffers, &info, 1, 1), "dds_take");
    if (taken == 0) {
      return std::nullopt;
    }
    if (info.valid_data) {
      if (writer != nullptr) {
        *writer = info.publication_handle;
      }
      return std::move(sample.bytes);
    }
    // an invalid sample only reports a state change
  }
}

}  // namespace

CycloneReader::CycloneReader(
  CycloneParticipant & participant, const DdsTopic & topic, const DdsQos & qos,
  SampleCallback on_sample, MatchCallback on_match)
: on_sample_(std::move(on_sample)),
  on_match_(std::move(on_match)),
  topic_(create_topic(participant, topic))
{
  std::unique_ptr<dds_listener_t, ListenerDeleter> listener(dds_create_listener(this));
  dds_lset_data_available(listener.get(), &CycloneReader::on_data_available);
  if (on_match_) {
    dds_lset_subscription_matched_arg(listener.get(), &on_subscription_matched, &on_match_, false);
  }
  reader_ = create_endpoint(
    dds_create_reader, "dds_create_reader", participant, topic_, qos, listener.get());
}

void CycloneReader::on_data_available(int32_t reader, void * self)
{
  auto & callback = static_cast<CycloneReader *>(self)->on_sample_;
  try {
    uint64_t writer = 0;
    while (auto sample = take_one(reader, &writer)) {
      callback(std::move(*sample), writer);
    }
  } catch (const std::exception &) {
    // dds_take fails only while the reader is being deleted; nothing is left to deliver then
  }
}

size_t CycloneReader::matched_writers() const
{
  dds_subscription_matched_status_t status{};
  checked(dds_get_subscription_matched_status(reader_, &status), "dds_get_subscription_matched");
  return status.current_count;
}

std::vector<std::string> CycloneReader::matched_writers_user_data() const
{
  return each_matched(
    reader_, &dds_get_matched_publications, &dds_get_matched_publication_data, &user_data_of);
}

std::optional<uint64_t> CycloneReader::participant_of_writer(uint64_t writer) const
{
  dds_builtintopic_endpoint_t * data = dds_get_matched_publication_data(reader_, writer);
  if (data == nullptr) {
    return std::nullopt;
  }
  const uint64_t participant = data->participant_instance_handle;
  dds_builtintopic_free_endpoint(data);
  return participant;
}

CycloneReader::CycloneReader(
  CycloneParticipant & participant, const DdsTopic & topic, const DdsQos & qos)
: topic_(create_topic(participant, topic)),
  reader_(create_endpoint(dds_create_reader, "dds_create_reader", participant, topic_, qos))
{
  try {
    waitset_ = checked(dds_create_waitset(participant.handle()), "dds_create_waitset");
    const dds_entity_t condition =
      checked(dds_create_readcondition(reader_, DDS_ANY_STATE), "dds_create_readcondition");
    checked(dds_waitset_attach(waitset_, condition, reader_), "dds_waitset_attach");
  } catch (...) {
    if (waitset_ > 0) {
      dds_delete(waitset_);
    }
    dds_delete(reader_);
    dds_delete(topic_);
    throw;
  }
}

CycloneReader::~CycloneReader()
{
  if (waitset_ > 0) {
    dds_delete(waitset_);
  }
  dds_delete(reader_);
  dds_delete(topic_);
}

std::optional<std::vector<uint8_t>> CycloneReader::take(std::chrono::milliseconds timeout)
{
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    if (auto sample = take_one(reader_)) {
      return sample;
    }
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) {
      return std::nullopt;
    }
    dds_waitset_wait(
      waitset_, nullptr, 0, std::chrono::duration_cast<std::chrono::nanoseconds>(left).count());
  }
}

}  // namespace rmw_dds

#include "rmw_dds/cyclone_discovery.hpp"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "dds/dds.h"

namespace rmw_dds
{
namespace
{

Guid to_guid(const dds_guid_t & guid)
{
  Guid result{};
  std::memcpy(result.data(), guid.v, result.size());
  return result;
}

struct ListenerDeleter
{
  void operator()(dds_listener_t * listener) const { dds_delete_listener(listener); }
};

constexpr int32_t kBatch = 16;

/// Takes what `reader` holds, `kBatch` samples at a time, and hands each to `handle`.
template <typename Sample, typename Handle>
void take_all(dds_entity_t reader, Handle && handle)
{
  while (true) {
    void * samples[kBatch] = {};
    dds_sample_info_t infos[kBatch];
    const dds_return_t taken = dds_take(reader, samples, infos, kBatch, kBatch);
    if (taken <= 0) {
      return;
    }
    for (dds_return_t index = 0; index < taken; ++index) {
      handle(static_cast<const Sample *>(samples[index]), infos[index]);
    }
    dds_return_loan(reader, samples, taken);
  }
}

}  // namespace

CycloneDiscovery::CycloneDiscovery(CycloneParticipant & participant, Callbacks callbacks)
: callbacks_(std::move(callbacks))
{
  std::unique_ptr<dds_listener_t, ListenerDeleter> participant_listener(dds_create_listener(this));
  dds_lset_data_available(participant_listener.get(), &CycloneDiscovery::on_participants);
  std::unique_ptr<dds_listener_t, ListenerDeleter> writer_listener(dds_create_listener(this));
  dds_lset_data_available(writer_listener.get(), &CycloneDiscovery::on_writers);
  std::unique_ptr<dds_listener_t, ListenerDeleter> reader_listener(dds_create_listener(this));
  dds_lset_data_available(reader_listener.get(), &CycloneDiscovery::on_readers);
  const struct
  {
    dds_entity_t topic;
    const dds_listener_t * listener;
    int32_t * reader;
  } readers[] = {
    {DDS_BUILTIN_TOPIC_DCPSPARTICIPANT, participant_listener.get(), &participants_},
    {DDS_BUILTIN_TOPIC_DCPSPUBLICATION, writer_listener.get(), &publications_},
    {DDS_BUILTIN_TOPIC_DCPSSUBSCRIPTION, reader_listener.get(), &subscriptions_},
  };
  for (const auto & entry : readers) {
    const dds_entity_t reader =
      dds_create_reader(participant.handle(), entry.topic, nullptr, entry.listener);
    if (reader < 0) {
      delete_readers();
      throw std::runtime_error(
        std::string("dds_create_reader for a built-in topic failed: ") + dds_strretcode(reader));
    }
    *entry.reader = reader;
  }
  // What was discovered before the listeners were set.
  on_participants(participants_, this);
  on_writers(publications_, this);
  on_readers(subscriptions_, this);
}

CycloneDiscovery::~CycloneDiscovery() { delete_readers(); }

void CycloneDiscovery::delete_readers()
{
  // Deleting a reader waits for its listener.
  for (int32_t * reader : {&subscriptions_, &publications_, &participants_}) {
    if (*reader > 0) {
      dds_delete(*reader);
      *reader = 0;
    }
  }
}

void CycloneDiscovery::on_participants(int32_t reader, void * self)
{
  auto & discovery = *static_cast<CycloneDiscovery *>(self);
  std::lock_guard<std::mutex> lock(discovery.mutex_);
  take_all<dds_builtintopic_participant_t>(
    reader,
    [&discovery](const dds_builtintopic_participant_t * sample, const dds_sample_info_t & info) {
      if (info.instance_state == DDS_IST_ALIVE) {
        if (info.valid_data) {
          discovery.guids_[info.instance_handle] = to_guid(sample->key);
        }
        return;
      }
      auto known = discovery.guids_.find(info.instance_handle);
      if (known == discovery.guids_.end()) {
        return;
      }
      const Guid guid = known->second;
      discovery.guids_.erase(known);
      if (discovery.callbacks_.participant_gone) {
        discovery.callbacks_.participant_gone(guid);
      }
    });
}

void CycloneDiscovery::on_writers(int32_t reader, void * self)
{
  static_cast<CycloneDiscovery *>(self)->take_endpoints(reader, true);
}

void CycloneDiscovery::on_readers(int32_t reader, void * self)
{
  static_cast<CycloneDiscovery *>(self)->take_endpoints(reader, false);
}

void CycloneDiscovery::take_endpoints(int32_t reader, bool writers)
{
  std::lock_guard<std::mutex> lock(mutex_);
  take_all<dds_builtintopic_endpoint_t>(
    reader,
    [this, writers](const dds_builtintopic_endpoint_t * sample, const dds_sample_info_t & info) {
      if (info.instance_state == DDS_IST_ALIVE) {
        if (!info.valid_data || sample->topic_name == nullptr || sample->type_name == nullptr) {
          return;
        }
        DiscoveredEndpoint endpoint;
        endpoint.guid = to_guid(sample->key);
        endpoint.participant = to_guid(sample->participant_key);
        endpoint.topic = sample->topic_name;
        endpoint.type = sample->type_name;
        endpoint.writer = writers;
        guids_[info.instance_handle] = endpoint.guid;
        if (callbacks_.endpoint_alive) {
          callbacks_.endpoint_alive(endpoint);
        }
        return;
      }
      auto known = guids_.find(info.instance_handle);
      if (known == guids_.end()) {
        return;
      }
      const Guid guid = known->second;
      guids_.erase(known);
      if (callbacks_.endpoint_gone) {
        callbacks_.endpoint_gone(guid);
      }
    });
}

}  // namespace rmw_dds

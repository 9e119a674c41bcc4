#ifndef RMW_DDS__CYCLONE_DISCOVERY_HPP_
#define RMW_DDS__CYCLONE_DISCOVERY_HPP_

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "rmw_dds/cyclone_participant.hpp"

namespace rmw_dds
{

/// A reader or writer of the domain as the DDS built-in topics announce it.
struct DiscoveredEndpoint
{
  Guid guid{};
  Guid participant{};
  std::string topic;
  std::string type;
  bool writer = false;
};

/// Watches the built-in topics (DCPSParticipant, DCPSPublication, DCPSSubscription) of one
/// participant. The callbacks run on Cyclone's threads, or on the thread that creates or deletes
/// an endpoint of this process, one at a time.
class CycloneDiscovery
{
public:
  struct Callbacks
  {
    std::function<void(const DiscoveredEndpoint &)> endpoint_alive;
    std::function<void(const Guid & endpoint)> endpoint_gone;
    std::function<void(const Guid & participant)> participant_gone;
  };

  CycloneDiscovery(CycloneParticipant & participant, Callbacks callbacks);
  ~CycloneDiscovery();
  CycloneDiscovery(const CycloneDiscovery &) = delete;
  CycloneDiscovery & operator=(const CycloneDiscovery &) = delete;

private:
  static void on_participants(int32_t reader, void * self);
  static void on_writers(int32_t reader, void * self);
  static void on_readers(int32_t reader, void * self);
  void take_endpoints(int32_t reader, bool writers);
  void delete_readers();

  Callbacks callbacks_;
  std::mutex mutex_;
  /// Instance handle of each alive participant and endpoint: a sample that reports its
  /// disposal may carry no data.
  std::map<uint64_t, Guid> guids_;
  int32_t participants_ = 0;
  int32_t publications_ = 0;
  int32_t subscriptions_ = 0;
};

}  // namespace rmw_dds

#endif  // RMW_DDS__CYCLONE_DISCOVERY_HPP_

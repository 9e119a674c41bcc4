#ifndef RMW_DDS__CYCLONE_PARTICIPANT_HPP_
#define RMW_DDS__CYCLONE_PARTICIPANT_HPP_

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "rmw_dds/names.hpp"
#include "rmw_dds/qos.hpp"

namespace rmw_dds
{

/// The GUID of a DDS participant, reader or writer: 12 bytes of participant prefix, then the
/// entity id.
using Guid = std::array<uint8_t, 16>;

/// The GUID of a Cyclone entity; throws std::runtime_error when Cyclone has none for it.
Guid guid_of(int32_t entity);

/// A Cyclone DDS domain participant. Its writers and readers carry samples that are already
/// CDR-encoded (encapsulation header included), under the DDS topic and type names given, so a
/// ROS 2 node using rmw_cyclonedds_cpp on the same domain sees the same topic and type.
/// Errors of the DDS library throw std::runtime_error naming the call and Cyclone's reason.
class CycloneParticipant
{
public:
  /// `config` is Cyclone XML configuration for this domain (for instance to keep it on one
  /// interface); empty takes Cyclone's defaults and CYCLONEDDS_URI.
  explicit CycloneParticipant(uint32_t domain_id, const std::string & config = "");
  ~CycloneParticipant();

  CycloneParticipant(const CycloneParticipant &) = delete;
  CycloneParticipant & operator=(const CycloneParticipant &) = delete;

  int32_t handle() const { return participant_; }
  Guid guid() const { return guid_of(participant_); }

private:
  int32_t domain_ = 0;
  int32_t participant_ = 0;
};

/// Called on one of Cyclone's threads when a writer or reader gains or loses a match.
using MatchCallback = std::function<void()>;

class CycloneWriter
{
public:
  CycloneWriter(
    CycloneParticipant & participant, const DdsTopic & topic, const DdsQos & qos,
    MatchCallback on_match = nullptr);
  ~CycloneWriter();
  CycloneWriter(const CycloneWriter &) = delete;
  CycloneWriter & operator=(const CycloneWriter &) = delete;

  /// Writes one CDR sample; throws std::invalid_argument for a sample without the plain
  /// little-endian CDR encapsulation header.
  void write(const std::vector<uint8_t> & sample);
  /// Waits until at least `count` readers are matched; false on time-out.
  bool wait_for_readers(size_t count, std::chrono::milliseconds timeout) const;
  size_t matched_readers() const;
  /// True when a reader of the participant with instance handle `participant` is matched.
  bool matches_reader_of(uint64_t participant) const;
  /// The user data of each matched reader (empty for a reader without).
  std::vector<std::string> matched_readers_user_data() const;
  /// The writer's instance handle, which rmw_cyclonedds uses as a client's identity.
  uint64_t instance_handle() const;
  Guid guid() const { return guid_of(writer_); }

private:
  MatchCallback on_match_;  // set before the writer exists
  int32_t topic_ = 0;
  int32_t writer_ = 0;
};

class CycloneReader
{
public:
  /// Called on one of Cyclone's threads with each sample that arrives and the instance handle
  /// of the writer that sent it.
  using SampleCallback = std::function<void(std::vector<uint8_t> sample, uint64_t writer)>;

  CycloneReader(CycloneParticipant & participant, const DdsTopic & topic, const DdsQos & qos);
  /// A reader that hands every sample to `on_sample` as it arrives instead of queueing it for
  /// take(). Destroying the reader waits for a callback that is running.
  CycloneReader(
    CycloneParticipant & participant, const DdsTopic & topic, const DdsQos & qos,
    SampleCallback on_sample, MatchCallback on_match = nullptr);
  ~CycloneReader();
  CycloneReader(const CycloneReader &) = delete;
  CycloneReader & operator=(const CycloneReader &) = delete;

  /// The next CDR sample as received (Cyclone may have padded it to a multiple of 4 bytes), or
  /// nothing when none arrives within `timeout`.
  std::optional<std::vector<uint8_t>> take(std::chrono::milliseconds timeout);

  size_t matched_writers() const;
  /// Waits until at least `count` writers are matched; false on time-out.
  bool wait_for_writers(size_t count, std::chrono::milliseconds timeout) const;
  /// The user data of each matched writer (empty for a writer without).
  std::vector<std::string> matched_writers_user_data() const;
  /// The instance handle of the participant of the matched writer `writer`; nothing when that
  /// writer is not (or no longer) matched.
  std::optional<uint64_t> participant_of_writer(uint64_t writer) const;
  Guid guid() const { return guid_of(reader_); }

private:
  static void on_data_available(int32_t reader, void * self);

  SampleCallback on_sample_;  // set before the reader exists: samples may arrive at once
  MatchCallback on_match_;
  int32_t topic_ = 0;
  int32_t reader_ = 0;
  int32_t waitset_ = 0;
};

}  // namespace rmw_dds

#endif  // RMW_DDS__CYCLONE_PARTICIPANT_HPP_

#ifndef RMW_DDS__REQUEST_HEADER_HPP_
#define RMW_DDS__REQUEST_HEADER_HPP_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "rmw/types.h"
#include "rmw_dds/message_serialization.hpp"

namespace rmw_dds
{

/// What rmw_cyclonedds_cpp puts in front of every request and reply sample, inside the same CDR
/// stream (right after the encapsulation header, so both fields are aligned):
///   uint64 client  - the instance handle of the client's request writer; a server copies it
///                    into the reply and a client takes only replies that carry its own;
///   int64 sequence - the client's sequence number of the request.
struct RequestHeader
{
  uint64_t client = 0;
  int64_t sequence = 0;
};

void write_request_header(CdrWriter & writer, const RequestHeader & header);
RequestHeader read_request_header(CdrReader & reader);

/// rmw_request_id_t as rmw_cyclonedds_cpp fills it: the 8 client bytes in host order at the
/// start of writer_guid, the other 8 bytes zero.
rmw_request_id_t to_request_id(const RequestHeader & header);
RequestHeader from_request_id(const rmw_request_id_t & request_id);

/// A request or reply sample: encapsulation header, request header, then the message.
std::vector<uint8_t> serialize_service_sample(
  const RequestHeader & header, const MessageMembers & members, const void * message);
/// Decodes a request or reply sample into `message` and returns its header; throws CdrError.
RequestHeader deserialize_service_sample(
  const MessageMembers & members, const uint8_t * data, size_t size, void * message);

/// The user data rmw_cyclonedds puts on both DDS endpoints of one server ("serviceid=<id>;")
/// or one client ("clientid=<id>;"), so that a client can tell which request reader and reply
/// writer belong to the same server. The id is the participant's GUID with its last four bytes
/// (the participant's entity id) replaced by `serial`, a number unique in the process, written as
/// hex bytes joined by dots.
std::string service_user_data(const std::array<uint8_t, 16> & participant_guid, uint32_t serial);
std::string client_user_data(const std::array<uint8_t, 16> & participant_guid, uint32_t serial);

/// The value of `key` in user data made of "key=value;" pairs; nothing when it has none.
std::optional<std::string> user_data_value(const std::string & user_data, const std::string & key);

}  // namespace rmw_dds

#endif  // RMW_DDS__REQUEST_HEADER_HPP_

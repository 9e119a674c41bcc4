#include "rmw_dds/request_header.hpp"

#include <cstdio>
#include <cstring>

#include "rmw_dds/cdr_error.hpp"

namespace rmw_dds
{

void write_request_header(CdrWriter & writer, const RequestHeader & header)
{
  writer.write_u64(header.client);
  writer.write_u64(static_cast<uint64_t>(header.sequence));
}

RequestHeader read_request_header(CdrReader & reader)
{
  try {
    RequestHeader header;
    header.client = reader.read_u64();
    header.sequence = static_cast<int64_t>(reader.read_u64());
    return header;
  } catch (const CdrError & error) {
    throw CdrError(std::string("request header: ") + error.what());
  }
}

rmw_request_id_t to_request_id(const RequestHeader & header)
{
  rmw_request_id_t request_id{};
  static_assert(sizeof(header.client) <= sizeof(request_id.writer_guid), "client fits the guid");
  std::memcpy(request_id.writer_guid, &header.client, sizeof(header.client));
  request_id.sequence_number = header.sequence;
  return request_id;
}

RequestHeader from_request_id(const rmw_request_id_t & request_id)
{
  RequestHeader header;
  std::memcpy(&header.client, request_id.writer_guid, sizeof(header.client));
  header.sequence = request_id.sequence_number;
  return header;
}

std::vector<uint8_t> serialize_service_sample(
  const RequestHeader & header, const MessageMembers & members, const void * message)
{
  CdrWriter writer;
  write_request_header(writer, header);
  write_message(writer, members, message);
  return writer.take();
}

RequestHeader deserialize_service_sample(
  const MessageMembers & members, const uint8_t * data, size_t size, void * message)
{
  CdrReader reader(data, size);
  const RequestHeader header = read_request_header(reader);
  read_message(reader, members, message);
  return header;
}

namespace
{

std::string pair_user_data(
  const char * key, const std::array<uint8_t, 16> & participant_guid, uint32_t serial)
{
  std::array<uint8_t, 16> id = participant_guid;
  for (size_t i = 0; i < 4; ++i) {
    id[12 + i] = static_cast<uint8_t>(serial >> (8 * (3 - i)));
  }
  std::string text = std::string(key) + "=";
  char byte[4];
  for (size_t i = 0; i < id.size(); ++i) {
    std::snprintf(byte, sizeof(byte), i == 0 ? "%02x" : ".%x", id[i]);
    text += byte;
  }
  return text + ";";
}

}  // namespace

std::string service_user_data(const std::array<uint8_t, 16> & participant_guid, uint32_t serial)
{
  return pair_user_data("serviceid", participant_guid, serial);
}

std::string client_user_data(const std::array<uint8_t, 16> & participant_guid, uint32_t serial)
{
  return pair_user_data("clientid", participant_guid, serial);
}

std::optional<std::string> user_data_value(const std::string & user_data, const std::string & key)
{
  size_t start = 0;
  while (start < user_data.size()) {
    size_t end = user_data.find(';', start);
    if (end == std::string::npos) {
      end = user_data.size();
    }
    const size_t equals = user_data.find('=', start);
    if (equals < end && user_data.compare(start, equals - start, key) == 0) {
      return user_data.substr(equals + 1, end - equals - 1);
    }
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace rmw_dds

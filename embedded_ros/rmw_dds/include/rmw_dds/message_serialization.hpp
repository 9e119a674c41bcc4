#ifndef RMW_DDS__MESSAGE_SERIALIZATION_HPP_
#define RMW_DDS__MESSAGE_SERIALIZATION_HPP_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "rmw_dds/cdr_reader.hpp"
#include "rmw_dds/cdr_writer.hpp"
#include "rosidl_typesupport_introspection_cpp/message_introspection.hpp"
#include "rosidl_typesupport_introspection_cpp/message_type_support_decl.hpp"

namespace rmw_dds
{

using rosidl_typesupport_introspection_cpp::MessageMembers;

/// The introspection field table of a generated message type.
template <typename MessageT>
const MessageMembers & members_of()
{
  return *static_cast<const MessageMembers *>(
    rosidl_typesupport_introspection_cpp::get_message_type_support_handle<MessageT>()->data);
}

/// Appends the fields of `message` (an instance of the type `members` describes) in CDR order:
/// member by member, nested messages inline, sequences as a uint32 length and the elements,
/// fixed arrays as the elements alone.
void write_message(CdrWriter & writer, const MessageMembers & members, const void * message);

/// Reads the fields of one message into `message`, an initialised instance of the type `members`
/// describes. Throws CdrError when the sample is malformed; `message` is then partly written.
void read_message(CdrReader & reader, const MessageMembers & members, void * message);

/// One complete sample: encapsulation header and the message.
std::vector<uint8_t> serialize_message(const MessageMembers & members, const void * message);

/// Decodes one complete sample into `message`; throws CdrError naming what is wrong with it.
void deserialize_message(
  const MessageMembers & members, const uint8_t * data, size_t size, void * message);

template <typename MessageT>
std::vector<uint8_t> serialize(const MessageT & message)
{
  return serialize_message(members_of<MessageT>(), &message);
}

template <typename MessageT>
void deserialize(const std::vector<uint8_t> & sample, MessageT & message)
{
  deserialize_message(members_of<MessageT>(), sample.data(), sample.size(), &message);
}

}  // namespace rmw_dds

#endif  // RMW_DDS__MESSAGE_SERIALIZATION_HPP_

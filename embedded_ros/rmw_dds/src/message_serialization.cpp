#include "rmw_dds/message_serialization.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "rmw_dds/cdr_error.hpp"
#include "rosidl_typesupport_introspection_cpp/field_types.hpp"

namespace rmw_dds
{
namespace
{
namespace ts = rosidl_typesupport_introspection_cpp;
using ts::MessageMember;

const MessageMembers & nested_members(const MessageMember & member)
{
  return *static_cast<const MessageMembers *>(member.members_->data);
}

/// CDR size of a primitive field type; 0 for strings and messages.
size_t primitive_size(uint8_t type_id)
{
  switch (type_id) {
    case ts::ROS_TYPE_BOOLEAN:
    case ts::ROS_TYPE_OCTET:
    case ts::ROS_TYPE_UINT8:
    case ts::ROS_TYPE_INT8:
    case ts::ROS_TYPE_CHAR:
      return 1;
    case ts::ROS_TYPE_WCHAR:
    case ts::ROS_TYPE_UINT16:
    case ts::ROS_TYPE_INT16:
      return 2;
    case ts::ROS_TYPE_UINT32:
    case ts::ROS_TYPE_INT32:
    case ts::ROS_TYPE_FLOAT:
      return 4;
    case ts::ROS_TYPE_UINT64:
    case ts::ROS_TYPE_INT64:
    case ts::ROS_TYPE_DOUBLE:
      return 8;
    default:
      return 0;
  }
}

bool is_fixed_array(const MessageMember & member)
{
  return member.is_array_ && member.array_size_ > 0 && !member.is_upper_bound_;
}

void check_supported(const MessageMember & member)
{
  if (member.type_id_ == ts::ROS_TYPE_LONG_DOUBLE) {
    throw std::invalid_argument(
      std::string("field '") + member.name_ + "' is a long double, which has no CDR mapping");
  }
}

size_t min_message_size(const MessageMembers & members);

/// The fewest bytes one element of `member` takes on the wire, ignoring alignment.
size_t min_element_size(const MessageMember & member)
{
  switch (member.type_id_) {
    case ts::ROS_TYPE_STRING:
    case ts::ROS_TYPE_WSTRING:
      return 4;
    case ts::ROS_TYPE_MESSAGE:
      return min_message_size(nested_members(member));
    default:
      return std::max<size_t>(primitive_size(member.type_id_), 1);
  }
}

size_t min_message_size(const MessageMembers & members)
{
  size_t size = 0;
  for (uint32_t i = 0; i < members.member_count_; ++i) {
    const MessageMember & member = members.members_[i];
    if (member.is_array_ && !is_fixed_array(member)) {
      size += 4;
    } else {
      size += (member.is_array_ ? member.array_size_ : 1) * min_element_size(member);
    }
  }
  return std::max<size_t>(size, 1);
}

const void * element(const MessageMember & member, const void * field, size_t index)
{
  if (member.get_const_function == nullptr) {
    throw std::logic_error(std::string("field '") + member.name_ + "' has no element access");
  }
  return member.get_const_function(field, index);
}

void * element(const MessageMember & member, void * field, size_t index)
{
  if (member.get_function == nullptr) {
    throw std::logic_error(std::string("field '") + member.name_ + "' has no element access");
  }
  return member.get_function(field, index);
}

// ---- writing

void write_value(CdrWriter & writer, const MessageMember & member, const void * value)
{
  switch (member.type_id_) {
    case ts::ROS_TYPE_STRING:
      writer.write_string(*static_cast<const std::string *>(value));
      return;
    case ts::ROS_TYPE_WSTRING:
      writer.write_wstring(*static_cast<const std::u16string *>(value));
      return;
    case ts::ROS_TYPE_MESSAGE:
      write_message(writer, nested_members(member), value);
      return;
    case ts::ROS_TYPE_BOOLEAN:
      writer.write_bool(*static_cast<const bool *>(value));
      return;
    default:
      check_supported(member);
      writer.write_array(value, 1, primitive_size(member.type_id_));
      return;
  }
}

void write_member(CdrWriter & writer, const MessageMember & member, const void * field)
{
  if (!member.is_array_) {
    write_value(writer, member, field);
    return;
  }
  check_supported(member);
  const bool fixed = is_fixed_array(member);
  const size_t count = fixed ? member.array_size_ : member.size_function(field);
  if (!fixed) {
    writer.write_length(count);
  }
  if (count == 0) {
    return;
  }
  if (member.type_id_ == ts::ROS_TYPE_BOOLEAN && member.get_const_function == nullptr) {
    // std::vector<bool> has no addressable elements.
    for (size_t i = 0; i < count; ++i) {
      bool value = false;
      member.fetch_function(field, i, &value);
      writer.write_bool(value);
    }
    return;
  }
  const size_t size = primitive_size(member.type_id_);
  if (size != 0) {
    // Sequences and arrays of primitives are contiguous in the generated types.
    writer.write_array(element(member, field, 0), count, size);
    return;
  }
  for (size_t i = 0; i < count; ++i) {
    write_value(writer, member, element(member, field, i));
  }
}

// ---- reading
//
// Errors are re-thrown on the way out with the path of the field prepended, so the text reads
// "goal_zones[1].points: sequence length claims ...".

[[noreturn]] void prefix_error(const std::string & prefix, const CdrError & error)
{
  throw CdrError(prefix + error.what());
}

void check_string_bound(const MessageMember & member, size_t length)
{
  if (member.string_upper_bound_ != 0 && length > member.string_upper_bound_) {
    throw CdrError(
      "string of " + std::to_string(length) + " characters exceeds its bound of " +
      std::to_string(member.string_upper_bound_));
  }
}

/// Reads one value; errors start with ": " or, for a nested message, with ".".
void read_value(CdrReader & reader, const MessageMember & member, void * value)
{
  if (member.type_id_ == ts::ROS_TYPE_MESSAGE) {
    try {
      read_message(reader, nested_members(member), value);
    } catch (const CdrError & error) {
      prefix_error(".", error);
    }
    return;
  }
  try {
    switch (member.type_id_) {
      case ts::ROS_TYPE_STRING: {
        auto & text = *static_cast<std::string *>(value);
        text = reader.read_string("string");
        check_string_bound(member, text.size());
        return;
      }
      case ts::ROS_TYPE_WSTRING: {
        auto & text = *static_cast<std::u16string *>(value);
        text = reader.read_wstring("wstring");
        check_string_bound(member, text.size());
        return;
      }
      case ts::ROS_TYPE_BOOLEAN:
        *static_cast<bool *>(value) = reader.read_bool();
        return;
      default:
        check_supported(member);
        reader.read_array(value, 1, primitive_size(member.type_id_), "the value");
        return;
    }
  } catch (const CdrError & error) {
    prefix_error(": ", error);
  }
}

void read_member(CdrReader & reader, const MessageMember & member, void * field)
{
  if (!member.is_array_) {
    read_value(reader, member, field);
    return;
  }
  check_supported(member);
  size_t count = member.array_size_;
  if (!is_fixed_array(member)) {
    try {
      count = reader.read_length(min_element_size(member), "sequence length");
      if (member.is_upper_bound_ && count > member.array_size_) {
        throw CdrError(
          "sequence of " + std::to_string(count) + " elements exceeds its bound of " +
          std::to_string(member.array_size_));
      }
    } catch (const CdrError & error) {
      prefix_error(": ", error);
    }
    member.resize_function(field, count);
  }
  if (count == 0) {
    return;
  }
  const size_t size = primitive_size(member.type_id_);
  if (member.type_id_ == ts::ROS_TYPE_BOOLEAN) {
    for (size_t i = 0; i < count; ++i) {
      bool value = false;
      try {
        value = reader.read_bool();
      } catch (const CdrError & error) {
        prefix_error("[" + std::to_string(i) + "]: ", error);
      }
      if (member.get_function == nullptr) {
        member.assign_function(field, i, &value);
      } else {
        *static_cast<bool *>(member.get_function(field, i)) = value;
      }
    }
    return;
  }
  if (size != 0) {
    try {
      reader.read_array(element(member, field, 0), count, size, "the elements");
    } catch (const CdrError & error) {
      prefix_error(": ", error);
    }
    return;
  }
  for (size_t i = 0; i < count; ++i) {
    try {
      read_value(reader, member, element(member, field, i));
    } catch (const CdrError & error) {
      prefix_error("[" + std::to_string(i) + "]", error);
    }
  }
}

}  // namespace

void write_message(CdrWriter & writer, const MessageMembers & members, const void * message)
{
  const auto * base = static_cast<const uint8_t *>(message);
  for (uint32_t i = 0; i < members.member_count_; ++i) {
    const MessageMember & member = members.members_[i];
    write_member(writer, member, base + member.offset_);
  }
}

void read_message(CdrReader & reader, const MessageMembers & members, void * message)
{
  auto * base = static_cast<uint8_t *>(message);
  for (uint32_t i = 0; i < members.member_count_; ++i) {
    const MessageMember & member = members.members_[i];
    try {
      read_member(reader, member, base + member.offset_);
    } catch (const CdrError & error) {
      prefix_error(member.name_, error);
    }
  }
}

std::vector<uint8_t> serialize_message(const MessageMembers & members, const void * message)
{
  CdrWriter writer;
  if (members.member_count_ == 0) {
    // A struct without members still takes one byte, as rmw_cyclonedds writes it.
    writer.write_u8(0);
  } else {
    write_message(writer, members, message);
  }
  return writer.take();
}

void deserialize_message(
  const MessageMembers & members, const uint8_t * data, size_t size, void * message)
{
  CdrReader reader(data, size);
  read_message(reader, members, message);
}

}  // namespace rmw_dds

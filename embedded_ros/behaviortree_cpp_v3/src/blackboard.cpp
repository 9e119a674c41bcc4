#include "behaviortree_cpp_v3/blackboard.h"

#include <iostream>

namespace BT
{
void Blackboard::enableAutoRemapping(bool remapping)
{
  std::lock_guard<std::mutex> lock(mutex_);
  autoremapping_ = remapping;
}

const Any * Blackboard::getAny(const std::string & key) const
{
  auto entry = findEntry(key);
  return entry ? &entry->value : nullptr;
}

std::shared_ptr<Blackboard::Entry> Blackboard::findEntry(const std::string & key) const
{
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = storage_.find(key);
  if (it != storage_.end()) {
    return it->second;
  }
  auto parent = parent_bb_.lock();
  if (!parent) {
    return nullptr;
  }
  auto remapping_it = internal_to_external_.find(key);
  if (remapping_it != internal_to_external_.end()) {
    return parent->findEntry(remapping_it->second);
  }
  return autoremapping_ ? parent->findEntry(key) : nullptr;
}

std::shared_ptr<Blackboard::Entry> Blackboard::getEntry(const std::string & key) const
{
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = storage_.find(key);
  return it == storage_.end() ? nullptr : it->second;
}

void Blackboard::copyEntry(const std::string & from, const std::string & to)
{
  std::unique_lock<std::mutex> lock_entry(entry_mutex_);
  auto source = findEntry(from);
  Any value;
  if (source) {
    std::lock_guard<std::mutex> lock(source->mutex);
    value = source->value;
  }
  if (value.empty()) {
    throw RuntimeError("Blackboard entry [", from, "] holds no value to copy into [", to, "]");
  }
  auto destination = findEntry(to);
  if (!destination) {
    // Typed like a set() of the value would type it, unless the source was declared.
    const PortInfo info = source->port_info.isStronglyTyped() || value.isString()
                            ? source->port_info
                            : PortInfo(PortDirection::INOUT, value.type(), {});
    createEntryImpl(to, info, &value);
    return;
  }
  if (destination == source) {
    return;
  }
  std::lock_guard<std::mutex> lock(destination->mutex);
  const std::type_info * declared_type = destination->port_info.type();
  if (declared_type != nullptr && *declared_type != value.type()) {
    Any parsed;
    if (value.isString()) {
      parsed = destination->port_info.parseString(value.cast<std::string>());
    }
    if (parsed.empty()) {
      throw LogicError(
        "Blackboard::set() failed: once declared, the type of a port shall not change. "
        "Declared type [",
        BT::demangle(declared_type), "] != current type [", BT::demangle(value.type()), "]");
    }
    value = std::move(parsed);
  }
  destination->value = std::move(value);
}

const PortInfo * Blackboard::portInfo(const std::string & key)
{
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = storage_.find(key);
  return it == storage_.end() ? nullptr : &(it->second->port_info);
}

void Blackboard::addSubtreeRemapping(StringView internal, StringView external)
{
  std::lock_guard<std::mutex> lock(mutex_);
  internal_to_external_.insert(
    {static_cast<std::string>(internal), static_cast<std::string>(external)});
}

void Blackboard::debugMessage() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto & [key, entry] : storage_) {
    const std::type_info * type = entry->port_info.type();
    if (type == nullptr) {
      type = &entry->value.type();
    }
    std::cout << key << " (" << demangle(type) << ") -> ";
    auto remapping_it = internal_to_external_.find(key);
    if (remapping_it != internal_to_external_.end() && !parent_bb_.expired()) {
      std::cout << "remapped to parent [" << remapping_it->second << "]" << std::endl;
      continue;
    }
    std::cout << (entry->value.empty() ? "empty" : "full") << std::endl;
  }
}

std::vector<StringView> Blackboard::getKeys() const
{
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<StringView> keys;
  keys.reserve(storage_.size());
  for (const auto & entry_it : storage_) {
    keys.push_back(entry_it.first);
  }
  return keys;
}

void Blackboard::clear()
{
  std::lock_guard<std::mutex> lock(mutex_);
  storage_.clear();
  internal_to_external_.clear();
}

std::shared_ptr<Blackboard::Entry> Blackboard::createEntryImpl(
  const std::string & key, const PortInfo & info, const Any * initial_value)
{
  std::lock_guard<std::mutex> lock(mutex_);
  auto storage_it = storage_.find(key);
  if (storage_it != storage_.end()) {
    const auto & previous_info = storage_it->second->port_info;
    if (
      previous_info.isStronglyTyped() && info.isStronglyTyped() &&
      *previous_info.type() != *info.type()) {
      throw LogicError(
        "Blackboard: once declared, the type of a port shall not change. Previously declared type "
        "[",
        demangle(previous_info.type()), "] != new type [", demangle(info.type()), "]");
    }
    return storage_it->second;
  }

  // A remapped key lives in the parent; this blackboard shares its entry.
  std::shared_ptr<Entry> entry;
  auto parent = parent_bb_.lock();
  auto remapping_it = internal_to_external_.find(key);
  if (parent && remapping_it != internal_to_external_.end()) {
    entry = parent->createEntryImpl(remapping_it->second, info, initial_value);
  } else if (parent && autoremapping_) {
    entry = parent->createEntryImpl(key, info, initial_value);
  } else if (initial_value) {
    entry = std::make_shared<Entry>(Any(*initial_value), info);
  } else {
    entry = std::make_shared<Entry>(info);
  }
  storage_.insert({key, entry});
  return entry;
}

}  // namespace BT

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

#ifndef BEHAVIORTREE_CPP_V3_BLACKBOARD_H
#define BEHAVIORTREE_CPP_V3_BLACKBOARD_H

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "behaviortree_cpp_v3/basic_types.h"
#include "behaviortree_cpp_v3/exceptions.h"
#include "behaviortree_cpp_v3/utils/safe_any.hpp"

namespace BT
{
/// Typed key/value store shared by the nodes of a tree. A blackboard may have
/// a parent (the blackboard of the tree that includes a SubTree); remapped keys
/// and, with auto-remapping, all keys are then stored in the parent.
///
/// Every value keeps the type of its first write, except text, which a later
/// write may replace by any type. Each get and set locks the entry it touches.
class Blackboard
{
public:
  using Ptr = std::shared_ptr<Blackboard>;

protected:
  explicit Blackboard(const Blackboard::Ptr & parent) : parent_bb_(parent) {}

public:
  static Blackboard::Ptr create(Blackboard::Ptr parent = {})
  {
    return std::shared_ptr<Blackboard>(new Blackboard(parent));
  }

  virtual ~Blackboard() = default;

  /// With auto-remapping, keys unknown here are looked up in the parent.
  void enableAutoRemapping(bool remapping);

  /// The stored value, or nullptr. Reading it is not synchronised: hold
  /// entryMutex() while using it.
  const Any * getAny(const std::string & key) const;

  Any * getAny(const std::string & key)
  {
    return const_cast<Any *>(static_cast<const Blackboard &>(*this).getAny(key));
  }

  /// False when the key is missing. Throws when the value cannot be converted to T.
  template <typename T>
  bool get(const std::string & key, T & value) const
  {
    return readEntry(key, [&value](const Any & stored) { value = stored.cast<T>(); });
  }

  /// Throws RuntimeError when the key is missing, and when the value cannot be
  /// converted to T.
  template <typename T>
  T get(const std::string & key) const
  {
    std::optional<T> value;
    if (!readEntry(key, [&value](const Any & stored) { value.emplace(stored.cast<T>()); })) {
      throw RuntimeError("Blackboard::get() error. Missing key [", key, "]");
    }
    return std::move(*value);
  }

  /// Throws LogicError when the key already holds a value of another type
  /// (text that the declared type can parse is accepted).
  template <typename T>
  void set(const std::string & key, const T & value)
  {
    std::unique_lock<std::mutex> lock_entry(entry_mutex_);
    Any new_value(value);

    auto entry = getEntry(key);
    if (!entry) {
      const PortInfo first_write_info = std::is_constructible<std::string, T>::value
                                          ? PortInfo(PortDirection::INOUT)
                                          : PortInfo(PortDirection::INOUT, new_value.type(), {});
      // The entry becomes visible holding its value, never empty.
      entry = createEntryImpl(key, first_write_info, &new_value);
    }

    std::lock_guard<std::mutex> lock(entry->mutex);
    const std::type_info * declared_type = entry->port_info.type();
    if (
      declared_type != nullptr && *declared_type != typeid(T) &&
      *declared_type != new_value.type()) {
      bool mismatching = true;
      if constexpr (std::is_constructible<StringView, T>::value) {
        Any parsed = entry->port_info.parseString(value);
        if (!parsed.empty()) {
          mismatching = false;
          new_value = std::move(parsed);
        }
      }
      if (mismatching) {
        throw LogicError(
          "Blackboard::set() failed: once declared, the type of a port shall not change. "
          "Declared type [",
          BT::demangle(declared_type), "] != current type [", BT::demangle(typeid(T)), "]");
      }
    }
    entry->value = std::move(new_value);
  }

  /// Port information of a key stored in this blackboard, or nullptr.
  const PortInfo * portInfo(const std::string & key);

  /// Makes the key `internal` of this blackboard an alias of `external` in the parent.
  void addSubtreeRemapping(StringView internal, StringView external);

  /// Prints keys, types and remappings to standard output.
  void debugMessage() const;

  std::vector<StringView> getKeys() const;

  void clear();

  /// Held by every set(); hold it while using a pointer from getAny().
  std::mutex & entryMutex() { return entry_mutex_; }

  void createEntry(const std::string & key, const PortInfo & info) { createEntryImpl(key, info); }

  struct Entry
  {
    Any value;
    const PortInfo port_info;
    mutable std::mutex mutex;

    explicit Entry(const PortInfo & info) : port_info(info) {}

    Entry(Any && other_any, const PortInfo & info) : value(std::move(other_any)), port_info(info) {}
  };

  /// The entry stored in this blackboard (no remapping), or null.
  std::shared_ptr<Entry> getEntry(const std::string & key) const;

private:
  friend class TreeNode;
  friend class SetBlackboard;

  /// Copies the value of `from` into `to`, with its type; `to` is created with the port
  /// information of `from` when missing. Throws RuntimeError when `from` holds no value and
  /// LogicError when `to` is declared with another type.
  void copyEntry(const std::string & from, const std::string & to);

  /// The entry of the key, following remappings to the parent.
  std::shared_ptr<Entry> findEntry(const std::string & key) const;

  std::shared_ptr<Entry> createEntryImpl(
    const std::string & key, const PortInfo & info, const Any * initial_value = nullptr);

  /// Calls reader with the value under the entry's lock; false when the key is missing.
  template <typename Reader>
  bool readEntry(const std::string & key, Reader && reader) const
  {
    auto entry = findEntry(key);
    if (!entry) {
      return false;
    }
    std::lock_guard<std::mutex> lock(entry->mutex);
    reader(entry->value);
    return true;
  }

  mutable std::mutex mutex_;
  mutable std::mutex entry_mutex_;
  std::unordered_map<std::string, std::shared_ptr<Entry>> storage_;
  std::weak_ptr<Blackboard> parent_bb_;
  std::unordered_map<std::string, std::string> internal_to_external_;
  bool autoremapping_ = false;
};

}  // namespace BT

#endif  // BEHAVIORTREE_CPP_V3_BLACKBOARD_H

// Maps the 32-bit tags that travel in messages to live objects. A tag is
// never 0, and a tag whose object has gone names nothing: each slot carries a
// generation that changes when its object is removed, so a late message with
// an old tag finds nothing instead of a reused slot or a dangling pointer.
// Lookups hand out shared ownership, so an object stays valid while a
// receiver works on it even if it is removed meanwhile.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace zel::ftengine {

template <class T>
class TagTable {
 public:
  // Registers an object; returns its tag, or 0 when all 65535 slots are taken.
  std::uint32_t add(std::shared_ptr<T> object) {
    std::lock_guard<std::mutex> hold(lock_);
    std::size_t index = 0;
    while (index < slots_.size() && slots_[index].object)
      ++index;
    if (index == kMaxSlots) return 0;
    if (index == slots_.size()) slots_.push_back(Slot{});
    Slot& slot = slots_[index];
    slot.object = std::move(object);
    return tagOf(index, slot.generation);
  }

  // The object a tag names, or null for 0, unknown and stale tags.
  std::shared_ptr<T> find(std::uint32_t tag) const {
    std::lock_guard<std::mutex> hold(lock_);
    const std::size_t index = indexOf(tag);
    return index == kNone ? nullptr : slots_[index].object;
  }

  // Forgets the object a tag names; returns whether the tag was live.
  bool remove(std::uint32_t tag) {
    std::shared_ptr<T> gone;
    std::lock_guard<std::mutex> hold(lock_);
    const std::size_t index = indexOf(tag);
    if (index == kNone) return false;
    Slot& slot = slots_[index];
    gone = std::move(slot.object);  // released after the lock
    slot.object.reset();
    slot.generation = static_cast<std::uint16_t>(slot.generation + 1);
    if (slot.generation == 0) slot.generation = 1;
    return true;
  }

 private:
  static constexpr std::size_t kMaxSlots = 0xFFFF;
  struct Slot {
    std::shared_ptr<T> object;
    std::uint16_t generation = 1;  // never 0, so no tag is 0
  };

  static std::uint32_t tagOf(std::size_t index, std::uint16_t generation) {
    return (std::uint32_t{generation} << 16) | static_cast<std::uint32_t>(index + 1);
  }
  static constexpr std::size_t kNone = ~std::size_t{0};
  // The slot index a live tag names, or kNone.
  std::size_t indexOf(std::uint32_t tag) const {
    const std::size_t number = tag & 0xFFFF;
    if (number == 0 || number > slots_.size()) return kNone;
    const Slot& slot = slots_[number - 1];
    if (!slot.object || slot.generation != (tag >> 16)) return kNone;
    return number - 1;
  }

  mutable std::mutex lock_;
  std::vector<Slot> slots_;
};

}  // namespace zel::ftengine

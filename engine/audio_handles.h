// Slot tables that hand out generation-tagged 32-bit handles for effects, streams and channels.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace engine {

// A handle is kind (2 bits) | generation (20 bits) | slot (10 bits). The kind
// keeps an effect handle from passing for a channel; the generation makes a
// handle stale once its slot is reused. Freed slots are reused oldest first
// and only after [keepBeforeReuse] slots exist, so a handle repeats only
// after about a million reuses of every slot.
enum class HandleKind : std::uint32_t { Effect = 1, Stream = 2, Channel = 3 };

template <class T>
class HandleTable {
 public:
  static constexpr std::uint32_t kSlotBits = 10;
  static constexpr std::uint32_t kMaxSlots = 1u << kSlotBits;  // enforced by add()
  static constexpr std::uint32_t kGenerationMask = (1u << 20) - 1;

  HandleTable(HandleKind kind, std::uint32_t keepBeforeReuse)
      : kind_(kind), keepBeforeReuse_(keepBeforeReuse), ring_(kMaxSlots) {
    // Reserved so that pointers from find() survive later adds.
    slots_.reserve(kMaxSlots);
  }

  // Stores [value] under a new handle; 0 when every slot is taken.
  std::uint32_t add(T value) {
    std::uint32_t index;
    if (count_ > 0 && (slots_.size() >= keepBeforeReuse_ || slots_.size() == kMaxSlots)) {
      index = ring_[head_];
      head_ = (head_ + 1) % kMaxSlots;
      --count_;
    } else if (slots_.size() < kMaxSlots) {
      index = static_cast<std::uint32_t>(slots_.size());
      slots_.emplace_back();
    } else {
      return 0;
    }
    Slot& slot = slots_[index];
    slot.generation = (slot.generation + 1) & kGenerationMask;
    if (slot.generation == 0) slot.generation = 1;
    slot.used = true;
    slot.queued = false;
    slot.value = std::move(value);
    return handleOf(index);
  }

  // The value behind [handle], null when the handle is 0, stale or of another kind.
  T* find(std::uint32_t handle) {
    const std::uint32_t index = handle & (kMaxSlots - 1);
    if ((handle >> 30) != static_cast<std::uint32_t>(kind_) || index >= slots_.size()) return nullptr;
    Slot& slot = slots_[index];
    if (!slot.used || slot.generation != ((handle >> kSlotBits) & kGenerationMask)) return nullptr;
    return &slot.value;
  }

  // Gives the slot of [handle] back for reuse. With [keepAnswering] the value
  // stays readable through the old handle until the slot is reused.
  void release(std::uint32_t handle, bool keepAnswering) {
    if (find(handle) == nullptr) return;
    const std::uint32_t index = handle & (kMaxSlots - 1);
    Slot& slot = slots_[index];
    slot.used = keepAnswering;
    if (slot.queued) return;
    slot.queued = true;
    ring_[(head_ + count_) % kMaxSlots] = index;
    ++count_;
  }

  // Calls [fn](handle, value) for every value still readable.
  template <class Fn>
  void forEach(Fn fn) {
    for (std::uint32_t i = 0; i < slots_.size(); ++i) {
      if (slots_[i].used) fn(handleOf(i), slots_[i].value);
    }
  }

  // Makes every handle stale. Slots keep their generations, so handles
  // given out before stay stale for good.
  void clear() {
    head_ = count_ = 0;
    for (std::uint32_t i = 0; i < slots_.size(); ++i) {
      slots_[i].used = false;
      slots_[i].queued = true;
      ring_[count_++] = i;
    }
  }

 private:
  struct Slot {
    std::uint32_t generation = 0;
    bool used = false;
    bool queued = false;
    T value{};
  };

  std::uint32_t handleOf(std::uint32_t index) const {
    return (static_cast<std::uint32_t>(kind_) << 30) | (slots_[index].generation << kSlotBits) | index;
  }

  HandleKind kind_;
  std::uint32_t keepBeforeReuse_;
  std::vector<Slot> slots_;
  std::vector<std::uint32_t> ring_;  // queue of freed slot indices, oldest at head_
  std::uint32_t head_ = 0;
  std::uint32_t count_ = 0;
};

}  // namespace engine

#pragma once
// A bounded queue for exactly one producer thread and one consumer thread, without locks. A full queue
// refuses the item, so nothing grows without bound when the consumer does not run.
#include <atomic>
#include <cstddef>
#include <utility>
#include <vector>

namespace kelvor::emu {

template <typename T> class SpscQueue {
  public:
    explicit SpscQueue(std::size_t capacity) : slots_(capacity + 1) {}

    // Producer side. False when the queue is full (the item is not taken).
    bool push(T item) {
        const std::size_t head = head_.load(std::memory_order_relaxed);
        const std::size_t next = (head + 1) % slots_.size();
        if (next == tail_.load(std::memory_order_acquire)) return false;
        slots_[head] = std::move(item);
        head_.store(next, std::memory_order_release);
        return true;
    }

    // Consumer side: the oldest item, or nullptr when empty. Valid until pop().
    T* front() {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        if (tail == head_.load(std::memory_order_acquire)) return nullptr;
        return &slots_[tail];
    }
    void pop() {
        const std::size_t tail = tail_.load(std::memory_order_relaxed);
        slots_[tail] = T{};
        tail_.store((tail + 1) % slots_.size(), std::memory_order_release);
    }

  private:
    std::vector<T> slots_;
    alignas(64) std::atomic<std::size_t> head_{0};
    alignas(64) std::atomic<std::size_t> tail_{0};
};

} // namespace kelvor::emu

#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace kestrel {

// The receive ring between the port's receive thread (the only producer) and
// the user-interface thread (the only consumer). 1024 bytes, at most 1023
// unread. Bytes are stored before the write index is published and copied
// before the read index is published, so neither side locks to move data; the
// mutex only guards the sleeps of a side that waits for the other. Unread bytes
// are never overwritten: a full ring makes the producer wait for room.
class RxRing {
 public:
  static constexpr int kSize = 1024;

  int Count() const {
    int n = write_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire);
    return n < 0 ? n + kSize : n;
  }
  int Room() const { return kSize - 1 - Count(); }

  // Producer: stores up to Room() bytes, returns how many, and wakes a waiting reader.
  int Push(const uint8_t* src, int count);
  // Producer: waits until there is room or Interrupt() is called. False when interrupted.
  bool WaitForRoom();

  // Consumer: copies up to max bytes (max <= 0: all unread) and returns how many.
  int Read(uint8_t* dst, int max);
  // Consumer: waits up to timeoutMs for an unread byte, or less once
  // Interrupt() was called. True when one is there.
  bool WaitForData(int timeoutMs);

  // Empties the ring and clears an interruption (only while no producer runs).
  void Reset();
  // Ends the producer's wait for room and the consumer's wait for data now,
  // and any later one, until Reset().
  void Interrupt();

 private:
  uint8_t data_[kSize] = {};
  std::atomic<int> read_{0};
  std::atomic<int> write_{0};
  std::atomic<bool> interrupted_{false};
  std::atomic<bool> producerWaiting_{false};
  std::mutex mutex_;
  std::condition_variable dataCv_;
  std::condition_variable roomCv_;
};

// A port's Read over its ring: up to count bytes, sleeping while none are
// there until they arrive, `lost` is set or timeoutMs has passed. `wait`
// sleeps at most the milliseconds it is given; without it the ring's own
// signal from the receive thread wakes the reader.
int ReadFromRing(RxRing& ring, const std::atomic<bool>& lost, uint8_t* dst, int count,
                 int timeoutMs, const std::function<void(int)>& wait = {});

}  // namespace kestrel

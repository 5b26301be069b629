#include "link/rx_ring.h"

#include <chrono>

namespace kestrel {

int RxRing::Push(const uint8_t* src, int count) {
  int w = write_.load(std::memory_order_relaxed);
  int n = 0;
  for (int room = Room(); n < count && n < room; ++n) {
    data_[w] = src[n];
    w = (w + 1) % kSize;
  }
  if (n > 0) {
    {
      // Publishing under the lock closes the gap between a reader's check and its sleep.
      std::lock_guard<std::mutex> lock(mutex_);
      write_.store(w, std::memory_order_release);
    }
    dataCv_.notify_one();
  }
  return n;
}

bool RxRing::WaitForRoom() {
  std::unique_lock<std::mutex> lock(mutex_);
  producerWaiting_.store(true, std::memory_order_seq_cst);
  std::atomic_thread_fence(std::memory_order_seq_cst);
  // The timed wait only guards against a missed wake-up; a reader wakes us at once.
  while (!roomCv_.wait_for(lock, std::chrono::milliseconds(50),
                           [this] { return Room() > 0 || interrupted_.load(); })) {
  }
  producerWaiting_.store(false, std::memory_order_relaxed);
  return !interrupted_.load();
}

int RxRing::Read(uint8_t* dst, int max) {
  int available = Count();
  if (available < 1) return 0;
  int n = max > 0 && max < available ? max : available;
  int r = read_.load(std::memory_order_relaxed);
  for (int i = 0; i < n; ++i) {
    dst[i] = data_[r];
    r = (r + 1) % kSize;
  }
  read_.store(r, std::memory_order_release);
  std::atomic_thread_fence(std::memory_order_seq_cst);
  if (producerWaiting_.load(std::memory_order_seq_cst)) {
    { std::lock_guard<std::mutex> lock(mutex_); }
    roomCv_.notify_one();
  }
  return n;
}

bool RxRing::WaitForData(int timeoutMs) {
  if (Count() > 0) return true;
  if (timeoutMs <= 0) return false;
  std::unique_lock<std::mutex> lock(mutex_);
  dataCv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                   [this] { return Count() > 0 || interrupted_.load(); });
  return Count() > 0;
}

void RxRing::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  read_.store(0);
  write_.store(0);
  interrupted_.store(false);
}

void RxRing::Interrupt() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    interrupted_.store(true);
  }
  dataCv_.notify_all();
  roomCv_.notify_all();
}

int ReadFromRing(RxRing& ring, const std::atomic<bool>& lost, uint8_t* dst, int count,
                 int timeoutMs, const std::function<void(int)>& wait) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  int k = 0;
  for (;;) {
    const int n = ring.Read(dst + k, count - k);
    if (n == 0 && lost.load()) break;  // nothing more will come
    k += n;
    if (k >= count) break;
    const auto now = Clock::now();
    if (now >= deadline) break;
    if (n != 0) continue;
    const int ms =
        static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count());
    if (wait)
      wait(ms);
    else
      ring.WaitForData(ms);
  }
  return k;
}

}  // namespace kestrel

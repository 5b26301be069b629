#include <gtest/gtest.h>

#include <numeric>
#include <thread>
#include <vector>

#include "link/rx_ring.h"

namespace kestrel {
namespace {

TEST(RxRing, WaitsCountsWrapsAroundAndHoldsAtMost1023) {
  RxRing ring;
  uint8_t bytes[1100];
  std::iota(bytes, bytes + 1100, 0);
  uint8_t out[1100];
  EXPECT_EQ(ring.Read(out, 0), 0);  // empty: nothing, at once
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ring.WaitForData(10));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(9));

  // Move the indices near the end so the next writes wrap.
  EXPECT_EQ(ring.Push(bytes, 1000), 1000);
  EXPECT_EQ(ring.Read(out, 0), 1000);
  EXPECT_EQ(ring.Count(), 0);

  EXPECT_EQ(ring.Push(bytes, 1100), 1023);  // never overwrites unread bytes
  EXPECT_EQ(ring.Count(), 1023);
  EXPECT_EQ(ring.Room(), 0);
  EXPECT_EQ(ring.Read(out, 5), 5);
  EXPECT_EQ(ring.Count(), 1018);
  EXPECT_EQ(ring.Read(out + 5, 0), 1018);
  for (int i = 0; i < 1023; ++i)
    ASSERT_EQ(out[i], bytes[i]) << i;
}

// A producer thread pushes a long numbered stream through the ring while the
// consumer reads in small bites; the producer waits for room rather than
// overwrite. Run under TSan this also checks the index ordering.
TEST(RxRing, ProducerThreadDeliversEveryByteInOrder) {
  RxRing ring;
  constexpr int kTotal = 200000;
  std::thread producer([&] {
    uint8_t chunk[97];
    int sent = 0;
    while (sent < kTotal) {
      int n = std::min<int>(97, kTotal - sent);
      for (int i = 0; i < n; ++i)
        chunk[i] = static_cast<uint8_t>((sent + i) * 7);
      int pushed = 0;
      while (pushed < n) {
        int k = ring.Push(chunk + pushed, n - pushed);
        pushed += k;
        if (k == 0 && !ring.WaitForRoom()) return;
      }
      sent += n;
    }
  });
  int received = 0;
  uint8_t buffer[13];
  while (received < kTotal) {
    if (!ring.WaitForData(1000)) break;
    int n = ring.Read(buffer, 13);
    for (int i = 0; i < n; ++i)
      ASSERT_EQ(buffer[i], static_cast<uint8_t>((received + i) * 7)) << received + i;
    received += n;
  }
  producer.join();
  EXPECT_EQ(received, kTotal);
}

TEST(RxRing, InterruptReleasesAWaitingProducer) {
  RxRing ring;
  std::vector<uint8_t> fill(1023, 1);
  ring.Push(fill.data(), 1023);
  std::thread producer([&] { EXPECT_FALSE(ring.WaitForRoom()); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ring.Interrupt();
  producer.join();
}

}  // namespace
}  // namespace kestrel

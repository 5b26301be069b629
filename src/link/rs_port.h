#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "link/rx_ring.h"

namespace kestrel {

// The RS-232C port: a POSIX terminal device in raw mode, a receive thread that
// moves incoming bytes into the ring, and byte-by-byte writes.
class CRsPort {
 public:
  CRsPort();
  ~CRsPort();
  CRsPort(const CRsPort&) = delete;
  CRsPort& operator=(const CRsPort&) = delete;

  // portName is "COMn" (the n-th serial port, /dev/ttyS(n-1)) or a device path.
  // stopBits uses the Windows codes: 0 one, 1 one and a half (taken as two), 2 two.
  int Open(const std::string& portName, int baud, int byteSize, int stopBits, int softwareFlow,
           int parityCheck);
  int Close();
  // 1 when every byte went out; 0 when no port is open or the device failed
  // or stayed blocked past the write time-out (errno says why).
  int Write(const uint8_t* bytes, int count);

  int RingCount() const { return ring_.Count(); }
  int ReadRing(uint8_t* dst, int max) { return ring_.Read(dst, max); }
  // Sleeps until a byte is unread or timeoutMs has passed; true when one is there.
  bool WaitReadable(int timeoutMs) { return ring_.WaitForData(timeoutMs); }

  bool IsOpen() const { return fd_ >= 0; }
  // True once the device reported a hang-up or an error since it was opened;
  // reception has then stopped until the port is reopened.
  bool Lost() const { return lost_.load(); }

  // "COM3" -> "/dev/ttyS2"; anything else is taken as a path.
  static std::string DevicePath(const std::string& portName);

 private:
  void ReceiveLoop();

  int fd_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::atomic<bool> stop_{false};
  std::atomic<bool> lost_{false};
  std::mutex portMutex_;  // keeps driver reads and writes apart
  std::thread thread_;
  RxRing ring_;
};

}  // namespace kestrel

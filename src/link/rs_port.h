#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "link/port_lock.h"
#include "link/rx_ring.h"
#include "link/transport.h"

namespace kestrel {

// Why the last Open failed: a small fixed kind, the system's error number and,
// for a busy port, the process that holds it when that can be known.
struct PortOpenError {
  enum class Kind { None, NoDevice, Permission, Busy, NotSerial, Other };
  Kind kind = Kind::None;
  int error = 0;
  int holderPid = 0;
};

// The RS-232C port: a POSIX terminal device in raw mode, a receive thread that
// moves incoming bytes into the ring, and byte-by-byte writes.
class CRsPort : public Transport {
 public:
  // portName is what Open(baud) opens: "COMn" or a device path.
  explicit CRsPort(std::string portName = {});
  ~CRsPort() override;
  CRsPort(const CRsPort&) = delete;
  CRsPort& operator=(const CRsPort&) = delete;

  // portName is "COMn" (the n-th serial port, /dev/ttyS(n-1)) or a device path.
  // stopBits uses the Windows codes: 0 one, 1 one and a half (taken as two), 2 two.
  // A port that is still open is closed first. Exclusive: flock(), TIOCEXCL and
  // the UUCP lock file; LastError() tells why an open failed.
  int Open(const std::string& portName, int baud, int byteSize, int stopBits, int softwareFlow,
           int parityCheck);
  // The port named at construction, 8 data bits, one stop bit, no flow control.
  int Open(int baud) override { return Open(name_, baud, 8, 0, 0, 0); }
  int Close() override;
  int SetSpeed(int baud) override;
  // 1 when every byte went out; 0 when no port is open or the device failed
  // or stayed blocked past the write time-out (errno says why).
  int Write(const uint8_t* bytes, int count) override;
  int Read(uint8_t* dst, int count, int timeoutMs) override;
  int Pending() const override { return ring_.Count(); }

  // Empties the ring and the driver's input queue (tcflush) and hands back
  // what was thrown away, oldest first.
  std::string DiscardInput() override;

  bool IsOpen() const override { return fd_ >= 0; }
  const std::string& Path() const { return path_; }
  const PortOpenError& LastError() const { return lastError_; }
  // True once the device reported a hang-up or an error since it was opened;
  // reception has then stopped until the port is reopened, and a reader
  // waiting for bytes is woken at once.
  bool Lost() const override { return lost_.load(); }
  std::string LostText() const override;
  Failure OpenFailure() const override;

  // "COM3" -> "/dev/ttyS2"; anything else is taken as a path.
  static std::string DevicePath(const std::string& portName);

 private:
  void ReceiveLoop();
  // Moves what the driver holds into the ring, at most the ring's room, and
  // returns read()'s result (errno in error when it is negative; EAGAIN for a full ring).
  long TakeFromDriver(int& error);
  // The reader's sleep: on the port itself and on the receive thread's signal.
  void WaitForBytes(int timeoutMs);
  void SignalReader();
  // After a byte was written: true once the driver's queue is empty.
  bool WaitUntilTaken(std::chrono::steady_clock::time_point deadline);
  void MarkLost(int error);
  int Fail(int fd, PortOpenError::Kind kind, int error);

  std::string name_;
  int fd_ = -1;
  int64_t byteNs_ = 1'000'000;  // one byte's time at the port's speed
  bool lowLatencySet_ = false;  // Open switched the driver's low-latency flag on
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  int readerSignal_ = -1;  // eventfd: the receive thread stored bytes for a sleeping reader
  std::atomic<bool> readerSleeping_{false};
  std::atomic<bool> stop_{false};
  std::atomic<bool> lost_{false};
  std::atomic<int> lostError_{0};
  std::string path_;
  PortOpenError lastError_;
  PortLock lock_;
  std::mutex portMutex_;  // keeps driver reads and writes apart
  std::thread thread_;
  RxRing ring_;
};

}  // namespace kestrel

#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

// What the link operations need of a Camera Link serial port. The adapter picks
// its library and port from the settings itself.
class CameraLinkAdapter {
 public:
  virtual ~CameraLinkAdapter() = default;
  virtual int Open() = 0;                 // 1 when the port is open
  virtual int SetBaudRate(int baud) = 0;  // 1 when the speed is in force
  // Why the last SetBaudRate refused the speed, "" when it took it.
  virtual std::string SpeedRefusal() const { return {}; }
  virtual int Write(const uint8_t* bytes, int count, int timeoutMs) = 0;  // 1 on success
  virtual int Read(uint8_t* buffer, int count, int timeoutMs) = 0;        // bytes read
  virtual int Close() = 0;                                                // always 1
  // True once the library reported an error other than a time-out since Open:
  // the grabber or its port went away.
  virtual bool Lost() const { return false; }
  // The library's error code of the loss.
  virtual int LostCode() const { return 0; }
};

}  // namespace kestrel

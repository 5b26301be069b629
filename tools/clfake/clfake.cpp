// A stand-in for a frame grabber's Camera Link serial library, for tests and
// for trying the panel without a grabber. One source builds every kind:
//   CLFAKE_KIND 1  the 2000 interface: clSerialInit/Close/Read/Write only
//   CLFAKE_KIND 2  "libclserial": adds manufacturers and the speed functions
//   CLFAKE_KIND 3  "libclallserial": ports with their info; CLFAKE_NO_FLUSH
//                  leaves out clFlushPort
// Serial port n is the terminal device that KESTREL_CLFAKE_PORT<n> names, else
// KESTREL_CLFAKE_PORT (a pseudo-terminal of the simulator or of a test peer).
// Further knobs, read at every call:
//   KESTREL_CLFAKE_PORTS          number of ports (default 2)
//   KESTREL_CLFAKE_BAUDS          supported baud-rate mask, decimal or 0x.. (default 0x1f)
//   KESTREL_CLFAKE_MANUFACTURERS  comma-separated names (default "Kestrel Fake,Other Grabber")
//   KESTREL_CLFAKE_TRACE          file to which every call is appended as one line
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "link/line_speed.h"

#ifndef CLFAKE_KIND
#define CLFAKE_KIND 3
#endif

#define CLFAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Error codes of the Camera Link serial interface.
constexpr int32_t kNoError = 0;
constexpr int32_t kBufferTooSmall = -10001;
constexpr int32_t kManufacturerDoesNotExist = -10002;
constexpr int32_t kPortInUse = -10003;
constexpr int32_t kTimeout = -10004;
constexpr int32_t kInvalidIndex = -10005;
constexpr int32_t kInvalidReference = -10006;
constexpr int32_t kBaudRateNotSupported = -10008;
// Not a code of the interface: what a grabber reports once its port is gone,
// any error other than a time-out.
constexpr int32_t kPortGone = -10099;

struct Port {
  uint32_t magic = 0x434c464b;  // "CLFK": tells a real reference from garbage
  int fd = -1;
  uint32_t index = 0;
};

std::string Env(const char* name, const char* fallback = "") {
  const char* v = std::getenv(name);
  return v ? v : fallback;
}

void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Trace(const char* format, ...) {
  const std::string path = Env("KESTREL_CLFAKE_TRACE");
  if (path.empty()) return;
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  std::string text = std::string(line) + "\n";
  [[maybe_unused]] ssize_t n = ::write(fd, text.data(), text.size());
  ::close(fd);
}

[[maybe_unused]] uint32_t NumPorts() {
  const std::string v = Env("KESTREL_CLFAKE_PORTS", "2");
  return static_cast<uint32_t>(std::strtoul(v.c_str(), nullptr, 0));
}

[[maybe_unused]] std::vector<std::string> Manufacturers() {
  std::string v = Env("KESTREL_CLFAKE_MANUFACTURERS", "Kestrel Fake,Other Grabber");
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= v.size()) {
    size_t comma = v.find(',', start);
    if (comma == std::string::npos) comma = v.size();
    if (comma > start) out.push_back(v.substr(start, comma - start));
    start = comma + 1;
  }
  return out;
}

std::string DeviceOfPort(uint32_t index) {
  std::string v = Env(("KESTREL_CLFAKE_PORT" + std::to_string(index)).c_str());
  return v.empty() ? Env("KESTREL_CLFAKE_PORT") : v;
}

[[maybe_unused]] int32_t CopyText(const std::string& text, char* buffer, uint32_t* size) {
  if (!size) return kBufferTooSmall;
  if (!buffer || *size < text.size() + 1) {
    *size = static_cast<uint32_t>(text.size() + 1);
    return kBufferTooSmall;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  *size = static_cast<uint32_t>(text.size() + 1);
  return kNoError;
}

Port* Valid(void* ref) {
  auto* p = static_cast<Port*>(ref);
  return p && p->magic == 0x434c464b && p->fd >= 0 ? p : nullptr;
}

[[maybe_unused]] speed_t SpeedOfCode(uint32_t code) {
  return kestrel::TerminalSpeed(kestrel::BaudOfCameraLinkCode(code));
}

#if CLFAKE_KIND == 2
std::string g_selectedManufacturer;
#endif

}  // namespace

CLFAKE_EXPORT int32_t clSerialInit(uint32_t serialIndex, void** serialRefPtr) {
  Trace("clSerialInit %u", serialIndex);
  if (!serialRefPtr) return kInvalidReference;
#if CLFAKE_KIND == 1
  const uint32_t ports = 1;
#else
  const uint32_t ports = NumPorts();
#endif
#if CLFAKE_KIND == 2
  if (g_selectedManufacturer.empty()) return kManufacturerDoesNotExist;
#endif
  if (serialIndex >= ports) return kInvalidIndex;
  const std::string device = DeviceOfPort(serialIndex);
  if (device.empty()) return kInvalidIndex;
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return errno == EBUSY ? kPortInUse : kInvalidIndex;
  termios tio{};
  if (::tcgetattr(fd, &tio) == 0) {
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    ::tcsetattr(fd, TCSANOW, &tio);
  }
  auto* port = new Port;
  port->fd = fd;
  port->index = serialIndex;
  *serialRefPtr = port;
  return kNoError;
}

CLFAKE_EXPORT void clSerialClose(void* serialRef) {
  Trace("clSerialClose");
  if (Port* p = Valid(serialRef)) {
    ::close(p->fd);
    p->magic = 0;
    delete p;
  }
}

CLFAKE_EXPORT int32_t clSerialRead(void* serialRef, char* buffer, uint32_t* bufferSize,
                                   uint32_t serialTimeout) {
  Port* p = Valid(serialRef);
  if (!p || !bufferSize) return kInvalidReference;
  const uint32_t wanted = *bufferSize;
  uint32_t got = 0;
  bool gone = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(serialTimeout);
  while (got < wanted && !gone) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left < 0) break;
    pollfd pfd{p->fd, POLLIN, 0};
    const int r = ::poll(&pfd, 1, static_cast<int>(left));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    if (!(pfd.revents & POLLIN)) {
      gone = (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
      break;
    }
    const ssize_t n = ::read(p->fd, buffer + got, wanted - got);
    if (n <= 0) {
      gone = n == 0 || errno != EAGAIN;
      break;
    }
    got += static_cast<uint32_t>(n);
  }
  *bufferSize = got;
  if (got == wanted) return kNoError;
  return gone ? kPortGone : kTimeout;
}

CLFAKE_EXPORT int32_t clSerialWrite(void* serialRef, char* buffer, uint32_t* bufferSize,
                                    uint32_t serialTimeout) {
  Port* p = Valid(serialRef);
  if (!p || !bufferSize) return kInvalidReference;
  Trace("clSerialWrite %.*s", static_cast<int>(*bufferSize), buffer);
  uint32_t done = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(serialTimeout);
  while (done < *bufferSize) {
    const ssize_t n = ::write(p->fd, buffer + done, *bufferSize - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN && std::chrono::steady_clock::now() < deadline) continue;
    if (n <= 0) break;
    done += static_cast<uint32_t>(n);
  }
  const bool all = done == *bufferSize;
  *bufferSize = done;
  return all ? kNoError : kTimeout;
}

#if CLFAKE_KIND != 1

CLFAKE_EXPORT int32_t clGetSupportedBaudRates(void* serialRef, uint32_t* baudRates) {
  Trace("clGetSupportedBaudRates");
  if (!Valid(serialRef) || !baudRates) return kInvalidReference;
  const std::string v = Env("KESTREL_CLFAKE_BAUDS", "0x1f");
  *baudRates = static_cast<uint32_t>(std::strtoul(v.c_str(), nullptr, 0));
  return kNoError;
}

CLFAKE_EXPORT int32_t clSetBaudRate(void* serialRef, uint32_t baudRate) {
  Trace("clSetBaudRate %u", baudRate);
  Port* p = Valid(serialRef);
  if (!p) return kInvalidReference;
  const speed_t speed = SpeedOfCode(baudRate);
  if (speed == B0) return kBaudRateNotSupported;
  termios tio{};
  if (::tcgetattr(p->fd, &tio) == 0) {
    ::cfsetspeed(&tio, speed);
    ::tcsetattr(p->fd, TCSANOW, &tio);
  }
  return kNoError;
}

CLFAKE_EXPORT int32_t clGetErrorText(int32_t errorCode, char* errorText, uint32_t* errorTextSize) {
  return CopyText("clfake error " + std::to_string(errorCode), errorText, errorTextSize);
}

#endif

#if CLFAKE_KIND == 2

CLFAKE_EXPORT int32_t clGetNumManufacturers(uint32_t* count) {
  if (!count) return kInvalidReference;
  *count = static_cast<uint32_t>(Manufacturers().size());
  return kNoError;
}

CLFAKE_EXPORT int32_t clGetManufacturer(uint32_t index, char* name, uint32_t* size,
                                        uint32_t* version) {
  const auto list = Manufacturers();
  if (index >= list.size()) return kInvalidIndex;
  if (version) *version = 1;
  return CopyText(list[index], name, size);
}

CLFAKE_EXPORT int32_t clSelectManufacturer(const char* name) {
  Trace("clSelectManufacturer %s", name ? name : "(null)");
  for (const std::string& m : Manufacturers())
    if (name && m == name) {
      g_selectedManufacturer = m;
      return kNoError;
    }
  return kManufacturerDoesNotExist;
}

CLFAKE_EXPORT int32_t clGetNumSerialPorts(uint32_t* count) {
  if (!count) return kInvalidReference;
  *count = NumPorts();
  return kNoError;
}

CLFAKE_EXPORT int32_t clGetSerialPortIdentifier(uint32_t index, char* id, uint32_t* size) {
  if (index >= NumPorts()) return kInvalidIndex;
  return CopyText("port" + std::to_string(index), id, size);
}

#endif

#if CLFAKE_KIND == 3

CLFAKE_EXPORT int32_t clGetNumPorts(uint32_t* count) {
  if (!count) return kInvalidReference;
  *count = NumPorts();
  return kNoError;
}

CLFAKE_EXPORT int32_t clGetPortInfo(uint32_t index, char* manufacturer, uint32_t* nameBytes,
                                    char* portId, uint32_t* idBytes, uint32_t* version) {
  if (index >= NumPorts()) return kInvalidIndex;
  if (version) *version = 1;
  const auto names = Manufacturers();
  const int32_t r =
      CopyText(names.empty() ? std::string() : names.front(), manufacturer, nameBytes);
  if (r != kNoError) return r;
  return CopyText("port" + std::to_string(index), portId, idBytes);
}

CLFAKE_EXPORT int32_t clGetNumBytesAvail(void* serialRef, uint32_t* numBytes) {
  Port* p = Valid(serialRef);
  if (!p || !numBytes) return kInvalidReference;
  int n = 0;
  *numBytes = 0;
  pollfd pfd{p->fd, POLLIN, 0};
  if (::poll(&pfd, 1, 0) > 0 && (pfd.revents & POLLIN)) {
    if (::ioctl(p->fd, FIONREAD, &n) == 0 && n > 0) *numBytes = static_cast<uint32_t>(n);
  }
  return kNoError;
}

#ifndef CLFAKE_NO_FLUSH
CLFAKE_EXPORT int32_t clFlushPort(void* serialRef) {
  Port* p = Valid(serialRef);
  if (!p) return kInvalidReference;
  ::tcflush(p->fd, TCIFLUSH);
  return kNoError;
}
#endif

#endif

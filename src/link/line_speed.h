#pragma once

#include <termios.h>

#include <cstdint>

namespace kestrel {

// Every line speed Kestrel handles: the bit rate, the terminal's speed code and
// the Camera Link standard's bit for it (0: a speed that standard lacks). The
// camera's own five are those with the bits 1 to 16.
struct LineSpeed {
  int baud;
  speed_t speed;
  uint32_t cameraLinkCode;
};

inline constexpr LineSpeed kLineSpeeds[] = {
    {1200, B1200, 0},      {2400, B2400, 0},      {4800, B4800, 0},       {9600, B9600, 1},
    {19200, B19200, 2},    {38400, B38400, 4},    {57600, B57600, 8},     {115200, B115200, 16},
    {230400, B230400, 32}, {460800, B460800, 64}, {921600, B921600, 128},
};

// The terminal speed of a bit rate; B0 for any other rate.
inline speed_t TerminalSpeed(int baud) {
  for (const LineSpeed& s : kLineSpeeds)
    if (s.baud == baud) return s.speed;
  return B0;
}

// The bit rate of a terminal speed; 0 for any other speed.
inline int BaudOfTerminalSpeed(speed_t speed) {
  for (const LineSpeed& s : kLineSpeeds)
    if (s.speed == speed) return s.baud;
  return 0;
}

// The Camera Link bit of a bit rate, 0 for any other; and back.
inline uint32_t CameraLinkCode(int baud) {
  for (const LineSpeed& s : kLineSpeeds)
    if (s.baud == baud) return s.cameraLinkCode;
  return 0;
}
inline int BaudOfCameraLinkCode(uint32_t code) {
  for (const LineSpeed& s : kLineSpeeds)
    if (code != 0 && s.cameraLinkCode == code) return s.baud;
  return 0;
}

}  // namespace kestrel

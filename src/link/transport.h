#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/failure.h"
#include "base/settings.h"

namespace kestrel {

class CameraLinkAdapter;

// A byte link to the camera: the RS-232C port, the Camera Link serial
// adapter, or the stand-in of the panel's OFFLINE mode. The command object
// talks to one of these and never asks which.
class Transport {
 public:
  virtual ~Transport() = default;

  // Opens the link at baud bit/s; 0 with OpenFailure() telling why.
  virtual int Open(int baud) = 0;
  virtual int Close() = 0;
  virtual bool IsOpen() const = 0;
  // Changes the speed of an open link; 0 with OpenFailure() telling why.
  virtual int SetSpeed(int baud) = 0;
  // 1 when every byte went out.
  virtual int Write(const uint8_t* bytes, int count) = 0;
  // Reads up to count bytes, sleeping until they arrive, the link is lost or
  // timeoutMs has passed; returns how many were read.
  virtual int Read(uint8_t* dst, int count, int timeoutMs) = 0;
  // How many bytes a Read takes without waiting, or -1 when the link cannot tell.
  virtual int Pending() const = 0;
  // Empties the input and hands back what was thrown away, oldest first.
  virtual std::string DiscardInput() = 0;
  // True once the device went away since the link was opened.
  virtual bool Lost() const = 0;
  // What to tell the user about the loss: where, and the system's word on it.
  virtual std::string LostText() const = 0;
  // Why the last Open or SetSpeed failed: cause and cure.
  virtual Failure OpenFailure() const = 0;
  // False for a link whose far end keeps a line speed of its own (raw TCP
  // to a relay): a speed set here never reaches the camera's line.
  virtual bool CarriesSpeed() const { return true; }
  // The longest round trip measured to the far end of the link (a network
  // relay), 0 for a device on this machine.
  virtual int RoundTripMs() const { return 0; }
  // False for a stand-in with no camera behind it: every command counts as
  // carried out at once and no line ever arrives.
  virtual bool Answers() const { return true; }
};

// The transport for a port: portName is "COMn" or a device path for the
// RS-232C port, "tcp://HOST:PORT" or "rfc2217://HOST:PORT" for a relay on the
// network; a "Serial Mode" other than 0 takes the Camera Link adapter
// (which picks its own port from the settings). While "OFFLINE" is 1 the link
// acts as the offline stand-in: sets succeed without traffic, queries fail at
// once, nothing is received; the device itself is still opened and closed.
std::unique_ptr<Transport> MakeTransport(const std::string& portName, Settings& settings,
                                         CameraLinkAdapter* cameraLink);

}  // namespace kestrel

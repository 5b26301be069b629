#include "link/transport.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "link/camera_link_adapter.h"
#include "link/net_port.h"
#include "link/port_messages.h"
#include "link/rs_port.h"

namespace kestrel {

namespace {

constexpr int kCameraLinkWriteTimeoutMs = 500;
// One read attempt on a Camera Link port; the libraries read with a time-out
// of their own and have no signal to sleep on.
constexpr int kAttemptMs = 10;
// At most this much is drained from a Camera Link port before a command.
constexpr int kMaxDrainBytes = 4096;

// The Camera Link serial port through the adapter the settings configure.
class CameraLinkTransport : public Transport {
 public:
  // The adapter closes its own port when it goes.
  explicit CameraLinkTransport(CameraLinkAdapter* adapter) : adapter_(adapter) {}

  int Open(int baud) override {
    refusal_.clear();
    if (!adapter_ || !adapter_->Open()) return 0;
    open_ = true;
    return SetSpeed(baud);
  }
  int Close() override {
    // Also after a failed Open: a library loaded on the way is released.
    if (adapter_) adapter_->Close();
    open_ = false;
    return 1;
  }
  bool IsOpen() const override { return open_; }
  int SetSpeed(int baud) override {
    if (adapter_ && adapter_->SetBaudRate(baud)) return 1;
    refusal_ = adapter_ ? adapter_->SpeedRefusal() : std::string();
    return 0;
  }
  int Write(const uint8_t* bytes, int count) override {
    return adapter_ ? adapter_->Write(bytes, count, kCameraLinkWriteTimeoutMs) : 0;
  }
  int Read(uint8_t* dst, int count, int timeoutMs) override {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int k = 0;
    for (;;) {
      const auto attempt = Clock::now();
      int n = 0;
      if (adapter_) {
        n = adapter_->Read(dst + k, 1, kAttemptMs);
        if (n == 0 && adapter_->Lost()) break;
      }
      // A library that returns before its time-out (or no library) must not
      // make this loop spin: the attempt takes its 10 ms either way.
      if (n == 0)
        std::this_thread::sleep_until(
            std::min(attempt + std::chrono::milliseconds(kAttemptMs), deadline));
      k += n;
      if (k >= count || Clock::now() >= deadline) break;
    }
    return k;
  }
  int Pending() const override { return -1; }
  std::string DiscardInput() override {
    std::string bytes;
    if (!adapter_ || adapter_->Lost()) return bytes;
    uint8_t byte = 0;
    while (bytes.size() < static_cast<size_t>(kMaxDrainBytes) && adapter_->Read(&byte, 1, 0) == 1)
      bytes.push_back(static_cast<char>(byte));
    return bytes;
  }
  bool Lost() const override { return adapter_ && adapter_->Lost(); }
  std::string LostText() const override {
    return DisconnectedText("Camera Link serial port",
                            "library error " + std::to_string(adapter_ ? adapter_->LostCode() : 0));
  }
  Failure OpenFailure() const override {
    if (!refusal_.empty()) return Failure(FailureKind::BadInput, refusal_);
    return Failure(FailureKind::Lost,
                   "cannot open the Camera Link serial port: the library, the manufacturer or "
                   "the port is not available");
  }

 private:
  CameraLinkAdapter* adapter_;
  bool open_ = false;
  std::string refusal_;  // the adapter's word on a speed it refused
};

// No camera: writes go nowhere and succeed, reads "succeed" without a byte,
// nothing is ever pending or lost.
class OfflineStandIn : public Transport {
 public:
  int Open(int) override { return 1; }
  int Close() override { return 1; }
  bool IsOpen() const override { return true; }
  int SetSpeed(int) override { return 1; }
  int Write(const uint8_t*, int) override { return 1; }
  int Read(uint8_t*, int count, int) override { return count; }
  int Pending() const override { return 0; }
  std::string DiscardInput() override { return {}; }
  bool Lost() const override { return false; }
  std::string LostText() const override { return {}; }
  Failure OpenFailure() const override { return {}; }
  bool Answers() const override { return false; }
};

// The device transport, replaced by the stand-in for the traffic while
// "OFFLINE" is 1 (read at every call: the panel switches it at run time).
// Opening, closing and what the device reported stay the device's.
class OfflineSwitch : public Transport {
 public:
  OfflineSwitch(Settings& settings, std::unique_ptr<Transport> device)
      : settings_(settings), device_(std::move(device)) {}

  int Open(int baud) override { return device_->Open(baud); }
  int Close() override { return device_->Close(); }
  bool IsOpen() const override { return device_->IsOpen(); }
  int SetSpeed(int baud) override { return device_->SetSpeed(baud); }
  int Write(const uint8_t* bytes, int count) override { return Now().Write(bytes, count); }
  int Read(uint8_t* dst, int count, int timeoutMs) override {
    return Now().Read(dst, count, timeoutMs);
  }
  int Pending() const override { return Now().Pending(); }
  std::string DiscardInput() override { return Now().DiscardInput(); }
  bool Lost() const override { return device_->Lost(); }
  std::string LostText() const override { return device_->LostText(); }
  Failure OpenFailure() const override { return device_->OpenFailure(); }
  bool Answers() const override { return Now().Answers(); }
  bool CarriesSpeed() const override { return device_->CarriesSpeed(); }
  int RoundTripMs() const override { return device_->RoundTripMs(); }

 private:
  Transport& Now() const { return settings_.offline == 1 ? standIn_ : *device_; }

  Settings& settings_;
  std::unique_ptr<Transport> device_;
  mutable OfflineStandIn standIn_;
};

}  // namespace

std::unique_ptr<Transport> MakeTransport(const std::string& portName, Settings& settings,
                                         CameraLinkAdapter* cameraLink) {
  std::unique_ptr<Transport> device;
  if (settings.serialMode != 0)
    device = std::make_unique<CameraLinkTransport>(cameraLink);
  else if (IsNetworkPort(portName))
    device = std::make_unique<NetPort>(portName);
  else
    device = std::make_unique<CRsPort>(portName);
  return std::make_unique<OfflineSwitch>(settings, std::move(device));
}

}  // namespace kestrel

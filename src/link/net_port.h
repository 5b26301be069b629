#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "link/rx_ring.h"
#include "link/transport.h"

namespace kestrel {

// A camera's serial line behind a relay on another host (ser2net and the
// like), named as a port:
//   tcp://HOST:PORT      raw TCP: the bytes as they are; the relay keeps its
//                        own line speed, so no speed is passed on
//   rfc2217://HOST:PORT  Telnet with the COM-PORT-OPTION (RFC 2217): speed,
//                        data size, parity and stop size are passed on
// HOST may be a name, an IPv4 address or an IPv6 address in brackets.
struct NetAddress {
  bool comPort = false;  // rfc2217://
  std::string host;
  std::string port;
};

// True for a port name that starts with "tcp://" or "rfc2217://".
bool IsNetworkPort(const std::string& name);
// Reads a network port name; "" when it is one, else what is wrong with it.
std::string ParseNetAddress(const std::string& name, NetAddress& out);

// The Telnet side of RFC 2217: what goes out for data and for the COM port
// commands, and what comes in split into data and the relay's answers. No
// input/output; the port below does that.
class TelnetComPort {
 public:
  // Telnet bytes and option codes.
  static constexpr uint8_t kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250,
                           kSe = 240;
  static constexpr uint8_t kBinary = 0, kSuppressGoAhead = 3, kComPortOption = 44;
  // COM-PORT-OPTION commands (client to server; the server answers +100).
  static constexpr uint8_t kSetBaudRate = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4,
                           kSetControl = 5;

  // Data with every IAC doubled.
  static std::string Escape(const uint8_t* bytes, int count);
  // What the client offers and asks for at the start: binary both ways,
  // no go-ahead, the COM port option.
  static std::string Greeting();
  // A COM-PORT-OPTION subnegotiation carrying `value` (network byte order,
  // IAC doubled).
  static std::string Command(uint8_t command, uint32_t value, int size);
  // The speed, 8 data bits, no parity, one stop bit, no flow control.
  static std::string LineSettings(int baud);

  // Takes received bytes: the data bytes are appended to `data`, the answers
  // the relay's negotiation calls for to `reply`. A command split across two
  // calls is taken whole.
  void Feed(const uint8_t* bytes, int count, std::string& data, std::string& reply);

  // The relay's word on the COM port option: 1 accepted (DO), -1 refused
  // (DONT), 0 not yet.
  int ComPortAnswer() const { return comPort_; }
  // The speed the relay last confirmed, 0 before any.
  uint32_t ConfirmedBaud() const { return confirmedBaud_; }
  // How many speed confirmations came in so far.
  int Confirmations() const { return confirmations_; }

 private:
  void Negotiate(uint8_t verb, uint8_t option, std::string& reply);
  void Subnegotiation();

  enum class State { Data, Iac, Verb, Sub, SubIac };
  State state_ = State::Data;
  uint8_t verb_ = 0;
  std::string sub_;
  int comPort_ = 0;
  uint32_t confirmedBaud_ = 0;
  int confirmations_ = 0;
  bool weSaid_[256] = {};    // options we already answered WILL/DO to
  bool theySaid_[256] = {};  // options the relay already had our DONT/WONT on
};

// The network transport: a TCP connection, a receive thread that moves the
// data into the ring (through the Telnet layer for rfc2217://), and the speed
// passed on with RFC 2217 and confirmed before it counts.
class NetPort : public Transport {
 public:
  explicit NetPort(std::string name);
  ~NetPort() override;
  NetPort(const NetPort&) = delete;
  NetPort& operator=(const NetPort&) = delete;

  int Open(int baud) override;
  int Close() override;
  bool IsOpen() const override { return fd_ >= 0; }
  // Over rfc2217:// the relay's confirmation is awaited; over tcp:// there is
  // nothing to change and it succeeds.
  int SetSpeed(int baud) override;
  int Write(const uint8_t* bytes, int count) override;
  int Read(uint8_t* dst, int count, int timeoutMs) override;
  int Pending() const override { return ring_.Count(); }
  std::string DiscardInput() override;
  bool Lost() const override { return lost_.load(); }
  std::string LostText() const override;
  Failure OpenFailure() const override { return openFailure_; }
  bool CarriesSpeed() const override { return address_.comPort; }
  int RoundTripMs() const override { return roundTripMs_.load(); }

 private:
  int Fail(FailureKind kind, const std::string& text);
  int Connect();
  bool SendAll(const std::string& bytes);
  void ReceiveLoop();
  void MarkLost(int error);
  // Receives what the socket holds (non-blocking) and runs it through the
  // Telnet layer; false when the connection ended. Called with mutex_ held.
  bool Take(std::string& data, int& error);
  void NoteRoundTrip(int ms);

  std::string name_;
  NetAddress address_;
  int fd_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::atomic<bool> stop_{false};
  std::atomic<bool> lost_{false};
  std::atomic<int> lostError_{0};
  std::atomic<int> roundTripMs_{0};
  Failure openFailure_;
  TelnetComPort telnet_;
  std::mutex mutex_;  // the socket's reads, the Telnet state and the writes
  std::condition_variable answered_;
  std::thread thread_;
  RxRing ring_;
};

}  // namespace kestrel

// The network port's names and its Telnet layer (RFC 2217).
#include <gtest/gtest.h>

#include "link/net_port.h"

namespace kestrel {
namespace {

TEST(NetPort, NamesAreReadOrRefusedWithTheReason) {
  const struct {
    const char* name;
    const char* host;  // nullptr: refused
    const char* port;
  } cases[] = {
      {"tcp://linepc3:2000", "linepc3", "2000"},
      {"rfc2217://10.0.0.7:7000", "10.0.0.7", "7000"},
      {"tcp://[::1]:2000", "::1", "2000"},
      {"tcp://linepc3", nullptr, ""},
      {"tcp://:2000", nullptr, ""},
      {"rfc2217://h:0", nullptr, ""},
      {"tcp://h:65536", nullptr, ""},
      {"tcp://h:20x0", nullptr, ""},
      {"tcp://[::1]2000", nullptr, ""},
      {"/dev/ttyUSB0", nullptr, ""},
  };
  for (const auto& c : cases) {
    NetAddress a;
    const std::string why = ParseNetAddress(c.name, a);
    EXPECT_EQ(why.empty(), c.host != nullptr) << c.name << ": " << why;
    if (c.host) EXPECT_EQ(a.host + " " + a.port, std::string(c.host) + " " + c.port) << c.name;
  }
}

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int c : b)
    s.push_back(static_cast<char>(c));
  return s;
}

TEST(TelnetComPort, DataIsUndoubledAndNegotiationAnsweredOnce) {
  using T = TelnetComPort;
  const struct {
    std::string in, data, reply;
  } cases[] = {
      {Bytes({'O', 'K', T::kIac, T::kIac, '\r', '\n'}), Bytes({'O', 'K', 255, '\r', '\n'}), ""},
      {Bytes({T::kIac, T::kDo, T::kBinary, T::kIac, T::kDo, T::kBinary}), "",
       Bytes({T::kIac, T::kWill, T::kBinary})},
      {Bytes({T::kIac, T::kWill, 1, 'A'}), "A", Bytes({T::kIac, T::kDont, 1})},  // no echo
      {Bytes({T::kIac, T::kSb, 44, 101, 0, 1, 0xC2, 0, T::kIac, T::kSe, 'x'}), "x", ""},
  };
  for (const auto& c : cases) {
    T telnet;
    std::string data, reply;
    // Byte by byte: a command split across reads is taken whole.
    for (char b : c.in)
      telnet.Feed(reinterpret_cast<const uint8_t*>(&b), 1, data, reply);
    EXPECT_EQ(data, c.data);
    EXPECT_EQ(reply, c.reply);
  }
  T telnet;
  std::string data, reply;
  const std::string confirm = Bytes({T::kIac, T::kSb, 44, 101, 0, 0, T::kIac, T::kIac, 1, T::kIac,
                                     T::kSe, T::kIac, T::kDont, 44});
  telnet.Feed(reinterpret_cast<const uint8_t*>(confirm.data()), static_cast<int>(confirm.size()),
              data, reply);
  EXPECT_EQ(telnet.ConfirmedBaud(), 0xFF01u);
  EXPECT_EQ(telnet.ComPortAnswer(), -1);
  EXPECT_EQ(T::Command(T::kSetBaudRate, 0xFF01, 4),
            Bytes({T::kIac, T::kSb, 44, 1, 0, 0, T::kIac, T::kIac, 1, T::kIac, T::kSe}));
  const uint8_t out[] = {'a', 255, 'b'};
  EXPECT_EQ(T::Escape(out, 3), Bytes({'a', 255, 255, 'b'}));
}

}  // namespace
}  // namespace kestrel
